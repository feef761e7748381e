#include "model/cardrecords.h"

#include "kvrdata/byteorder.h"
#include "model/recordlist.h"
#include "model/recordtext.h"

#include <algorithm>
#include <cstdio>

namespace kvr::model {

namespace {

constexpr FixedList kPotiList{0, 4};
constexpr FixedList kRotSelList{0, 4};

TChannelEntry DecodeChannel(const ChannelEntryView& view)
{
    const auto bytes = view.Bytes();
    TChannelEntry e;
    ReadLabel(e.Label, view.LabelBytes());
    e.ID = static_cast<std::uint16_t>(view.ID());
    e.Option = static_cast<std::uint8_t>(view.Option());
    e.Level = bytes[19];
    e.SecondRef = static_cast<std::uint16_t>(view.SecondRef());
    e.Extra = {bytes[22], bytes[23]};
    return e;
}

void EncodeChannel(ByteWriter& w, const TChannelEntry& e)
{
    for (char c : e.Label)
        w.u8(static_cast<std::uint8_t>(c));
    w.be16(e.ID);
    w.u8(e.Option);
    w.u8(e.Level);
    w.be16(e.SecondRef);
    w.u8(e.Extra[0]);
    w.u8(e.Extra[1]);
}

} // namespace

bool IsIOCardType(int cardType)
{
    return cardType == 111 || cardType == 122 || cardType == 123 || cardType == 222 || cardType == 223;
}

std::string ChannelEntryView::Label() const
{
    return FieldText(LabelBytes());
}

int CardRecordView::CardType() const { return FBytes.size() >= 2 ? readBE16(FBytes, 0) : 0; }

int CardRecordView::MadiCount() const { return FBytes.size() >= 4 ? (readLE16(FBytes, 2) & 0x1FF) : 0; }

int CardRecordView::MadiFlags() const { return FBytes.size() >= 4 ? (readLE16(FBytes, 2) & ~0x1FF) : 0; }

std::span<const std::uint8_t> CardRecordView::DSPBytes() const
{
    return FBytes.size() > 4 ? FBytes.subspan(4, std::min<std::size_t>(4, FBytes.size() - 4)) : std::span<const std::uint8_t>{};
}

int CardRecordView::ChannelCount() const
{
    if (IsDSPCard())
        return MadiCount();
    return IsGPIOCard() ? 0 : ChannelCountByte();
}

int CardRecordView::StoredChannels() const
{
    const std::size_t base = ChannelBase();
    const std::size_t room = FBytes.size() > base ? (FBytes.size() - base) / kChannelEntrySize : 0;
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(ChannelCount()), room));
}

std::optional<ChannelEntryView> CardRecordView::Channel(int index) const
{
    if (index < 0 || index >= StoredChannels())
        return std::nullopt;
    return ChannelEntryView(FBytes.subspan(ChannelAt(index)).first<kChannelEntrySize>());
}

int CardRecordView::ChannelID(int index) const
{
    const auto entry = Channel(index);
    return entry ? entry->ID() : 0;
}

std::size_t CardRecordView::GPIOBase() const
{
    return IsGPIOCard() ? 4 : 4 + kChannelEntrySize * static_cast<std::size_t>(ChannelCount());
}

int CardRecordView::StoredGPIOs() const
{
    if (FBytes.size() < 2 || IsDSPCard() || StoredChannels() < ChannelCount())
        return 0;
    const std::size_t base = GPIOBase();
    const std::size_t room = FBytes.size() > base ? (FBytes.size() - base) / kGPIOEntrySize : 0;
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(GPIOCount()), room));
}

std::optional<std::span<const std::uint8_t, kGPIOEntrySize>> CardRecordView::GPIO(int index) const
{
    if (index < 0 || index >= StoredGPIOs())
        return std::nullopt;
    return FBytes.subspan(GPIOAt(index)).first<kGPIOEntrySize>();
}

std::optional<std::span<const std::uint8_t, kGPIOEntrySize>> CardRecordView::GPIOEntryAt(int index) const
{
    if (index < 0 || FBytes.size() < 2 || IsDSPCard() || StoredChannels() < ChannelCount() ||
        GPIOAt(index) + kGPIOEntrySize > FBytes.size())
        return std::nullopt;
    return FBytes.subspan(GPIOAt(index)).first<kGPIOEntrySize>();
}

std::string CardRecordView::GPIOLabel(int index) const
{
    const auto entry = GPIO(index);
    return entry ? FieldText(*entry) : std::string();
}

void CardRecordWriter::Put(std::size_t at, int value)
{
    if (at < FRecord.size())
        FRecord[at] = static_cast<std::uint8_t>(value);
}

void CardRecordWriter::SetCardType(int cardType)
{
    Put(0, cardType >> 8);
    Put(1, cardType & 0xFF);
}

void CardRecordWriter::SetChannelCount(int count)
{
    if (View().IsDSPCard())
        SetMadiCount(count);
    else if (!View().IsGPIOCard())
        Put(2, count);
}

void CardRecordWriter::SetMadiCount(int count)
{
    if (FRecord.size() < 4)
        return;
    Put(2, count & 0xFF);
    Put(3, (FRecord[3] & 0xFE) | ((count >> 8) & 1));
}

ChannelEntryBytes MakeChannelEntry(std::string_view label, int id, int level)
{
    ChannelEntryBytes e{};
    std::copy_n(label.begin(), std::min<std::size_t>(label.size(), 16), e.begin());
    writeBE16(e, 16, static_cast<std::uint16_t>(id));
    e[19] = static_cast<std::uint8_t>(static_cast<std::int8_t>(level));
    return e;
}

void AppendChannelEntry(std::vector<std::uint8_t>& record, std::string_view label, int id, int level)
{
    const ChannelEntryBytes e = MakeChannelEntry(label, id, level);
    record.insert(record.end(), e.begin(), e.end());
}

void AppendGPIOEntry(std::vector<std::uint8_t>& record, std::string_view label)
{
    std::array<std::uint8_t, kGPIOEntrySize> g{};
    std::copy_n(label.begin(), std::min<std::size_t>(label.size(), kGPIOEntrySize), g.begin());
    record.insert(record.end(), g.begin(), g.end());
}

std::vector<ChannelEntryBytes> StoredChannelEntries(const CardRecordView& card)
{
    std::vector<ChannelEntryBytes> out(static_cast<std::size_t>(card.StoredChannels()));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto e = card.Channel(static_cast<int>(i))->Bytes();
        std::copy(e.begin(), e.end(), out[i].begin());
    }
    return out;
}

void SetDSPChannelEntries(std::vector<std::uint8_t>& record, std::span<const ChannelEntryBytes> entries)
{
    record.resize(kDSPCardHead, 0);
    CardRecordWriter(record).SetMadiCount(static_cast<int>(entries.size()));
    for (const ChannelEntryBytes& e : entries)
        record.insert(record.end(), e.begin(), e.end());
}

std::vector<std::uint8_t> NewDSPCardRecord(int variant, int portFlags)
{
    return {kCardDSP >> 8, kCardDSP & 0xFF, 0, static_cast<std::uint8_t>(portFlags), 0, static_cast<std::uint8_t>(variant), 0, 0};
}

void CardRecordWriter::SetGPIOCount(int count) { Put(3, count); }

void CardRecordWriter::SetPullUps(int bits) { Put(2, bits); }

void CardRecordWriter::SetPortFlags(int port, int flags) { Put(port == 1 ? 4 : 3, flags); }

void CardRecordWriter::SetDSPVariant(int variant) { Put(5, variant); }

void CardRecordWriter::SetChannelID(int index, int id)
{
    if (!View().Channel(index))
        return;
    const std::size_t at = View().ChannelAt(index) + 16;
    Put(at, id >> 8);
    Put(at + 1, id & 0xFF);
}

void CardRecordWriter::SetOption(int index, int option)
{
    if (View().Channel(index))
        Put(View().ChannelAt(index) + 18, option);
}

void CardRecordWriter::SetLevel(int index, int level)
{
    if (View().Channel(index))
        Put(View().ChannelAt(index) + 19, static_cast<std::int8_t>(level));
}

void CardRecordWriter::CopyChannelSettings(int index, const ChannelEntryView& from, bool option)
{
    if (!View().Channel(index))
        return;
    const std::size_t at = View().ChannelAt(index);
    const auto source = from.Bytes();
    std::copy_n(source.begin(), 16, FRecord.begin() + static_cast<std::ptrdiff_t>(at));
    if (option)
        FRecord[at + 18] = static_cast<std::uint8_t>(source[18] & ~0x08);
    std::copy_n(source.begin() + 19, 5, FRecord.begin() + static_cast<std::ptrdiff_t>(at + 19));
}

void CardRecordWriter::EraseChannels(int from, int to)
{
    const std::size_t begin = std::min(View().ChannelAt(from), FRecord.size());
    const std::size_t end = std::min(View().ChannelAt(to), FRecord.size());
    if (begin < end)
        FRecord.erase(FRecord.begin() + static_cast<std::ptrdiff_t>(begin), FRecord.begin() + static_cast<std::ptrdiff_t>(end));
}

void CardRecordWriter::InsertChannels(int at, std::span<const ChannelEntryBytes> entries)
{
    const std::size_t offset = View().ChannelAt(at);
    if (offset > FRecord.size())
        return;
    std::vector<std::uint8_t> bytes;
    for (const ChannelEntryBytes& e : entries)
        bytes.insert(bytes.end(), e.begin(), e.end());
    FRecord.insert(FRecord.begin() + static_cast<std::ptrdiff_t>(offset), bytes.begin(), bytes.end());
}

bool CardRecordWriter::SetLabelAt(std::size_t at, std::string_view text)
{
    if (at + 16 > FRecord.size())
        return false;
    SetFieldText(std::span<std::uint8_t>(FRecord).subspan(at, 16), text);
    return true;
}

std::uint16_t CardTypeOf(std::span<const std::uint8_t> record)
{
    return static_cast<std::uint16_t>(CardRecordView(record).CardType());
}

int DSPChannelCount(std::span<const std::uint8_t> record) { return CardRecordView(record).MadiCount(); }

bool DecodeCardRecord(std::span<const std::uint8_t> record, TCardRecord& out)
{
    out = TCardRecord{};
    const CardRecordView view(record);
    if (record.size() < 2)
        return false;
    out.CardType = static_cast<std::uint16_t>(view.CardType());
    if (view.IsDSPCard()) {
        out.DSPFlags = static_cast<std::uint16_t>(view.MadiFlags());
        const auto own = view.DSPBytes();
        std::copy(own.begin(), own.end(), out.DSPBytes.begin());
    }
    out.PullUps = static_cast<std::uint8_t>(view.PullUps());
    for (int i = 0; i < view.StoredChannels(); ++i)
        out.Channels.push_back(DecodeChannel(*view.Channel(i)));
    for (int i = 0; i < view.StoredGPIOs(); ++i) {
        const auto g = *view.GPIO(i);
        std::array<std::uint8_t, kGPIOEntrySize> bytes{};
        std::copy(g.begin(), g.end(), bytes.begin());
        out.GPIOs.push_back(bytes);
    }
    return true;
}

std::vector<std::uint8_t> EncodeCardRecord(const TCardRecord& card)
{
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.be16(card.CardType);
    if (card.IsDSP()) {
        const std::size_t channels = std::min<std::size_t>(card.Channels.size(), 0x1FF);
        w.le16(static_cast<std::uint16_t>((card.DSPFlags & ~0x1FFu) | channels));
        for (auto b : card.DSPBytes)
            w.u8(b);
        for (std::size_t i = 0; i < channels; ++i)
            EncodeChannel(w, card.Channels[i]);
        return out;
    }
    const bool gpioCard = card.CardType == kCardGPIO;
    const std::size_t channels = gpioCard ? 0 : std::min<std::size_t>(card.Channels.size(), 255);
    const std::size_t gpios = std::min<std::size_t>(card.GPIOs.size(), 255);
    w.u8(gpioCard ? card.PullUps : static_cast<std::uint8_t>(channels));
    w.u8(static_cast<std::uint8_t>(gpios));
    for (std::size_t i = 0; i < channels; ++i)
        EncodeChannel(w, card.Channels[i]);
    for (std::size_t i = 0; i < gpios; ++i)
        w.bytes(card.GPIOs[i]);
    return out;
}

bool FindPotiAssign(std::span<const std::uint8_t> payload, int pot, int& slot, int& input)
{
    for (std::size_t i = 0; i < kPotiList.count(payload.size()); ++i) {
        const std::size_t at = kPotiList.offset(i);
        if (payload[at] == pot) {
            slot = payload[at + 2];
            input = payload[at + 3];
            return true;
        }
    }
    return false;
}

void PutPotiAssign(std::vector<std::uint8_t>& payload, int pot, int slot, int input)
{
    for (std::size_t i = 0; i < kPotiList.count(payload.size());) {
        if (payload[kPotiList.offset(i)] == pot)
            EraseBytes(payload, kPotiList.offset(i), kPotiList.stride);
        else
            ++i;
    }
    if (input != 0)
        InsertBytes(payload, kPotiList.end(payload.size()),
                    {static_cast<std::uint8_t>(pot), 0, static_cast<std::uint8_t>(slot),
                     static_cast<std::uint8_t>(input)});
}

int FindRotSelSourceList(std::span<const std::uint8_t> payload, int selector)
{
    for (std::size_t i = 0; i < kRotSelList.count(payload.size()); ++i) {
        const std::size_t at = kRotSelList.offset(i);
        if (payload[at] == selector)
            return payload[at + 1];
    }
    return -1;
}

void PutRotSelSourceList(std::vector<std::uint8_t>& payload, int selector, int list)
{
    bool set = false;
    for (std::size_t i = 0; i < kRotSelList.count(payload.size());) {
        const std::size_t at = kRotSelList.offset(i);
        if (payload[at] != selector) {
            ++i;
        } else if (list >= 0 && !set) {
            payload[at + 1] = static_cast<std::uint8_t>(list);
            set = true;
            ++i;
        } else {
            EraseBytes(payload, at, kRotSelList.stride); // at most one entry per selector
        }
    }
    if (list >= 0 && !set)
        InsertBytes(payload, kRotSelList.end(payload.size()),
                    {static_cast<std::uint8_t>(selector), static_cast<std::uint8_t>(list), 0, 0});
}

int ReadConsoleName(std::span<const std::uint8_t> payload, int console, std::string& out)
{
    const std::size_t at = static_cast<std::size_t>(console) * 16;
    if (at < payload.size() && payload[at] != 0) {
        out = FieldText(payload.subspan(at, std::min<std::size_t>(16, payload.size() - at)));
        return 1;
    }
    char text[32];
    std::snprintf(text, sizeof text, "Console %d", console + 1);
    out = text;
    return 0;
}

void PutConsoleName(std::vector<std::uint8_t>& payload, int console, std::span<const std::uint8_t, 16> name)
{
    payload.resize(kConsoleNamesSize, 0);
    std::copy(name.begin(), name.end(), payload.begin() + console * 16);
}

bool FindFaderChannelLabel(std::span<const std::uint8_t> payload, int number, TFaderChannelLabel& out)
{
    if (payload.size() < 2)
        return false;
    const FixedList list{2, readBE16(payload, 0)};
    for (std::size_t i = 0; i < list.count(payload.size()); ++i) {
        const auto record = payload.subspan(list.offset(i), list.stride);
        if (record[0] == number) {
            out = TFaderChannelLabel{};
            out.Number = record[0];
            ReadLabel(out.Label, record.subspan(1, std::min<std::size_t>(16, record.size() - 1)));
            return true;
        }
    }
    return false;
}

int PutFaderChannelLabel(std::vector<std::uint8_t>& payload, int number, const TFaderChannelLabel& record)
{
    if (payload.empty())
        payload = {0, static_cast<std::uint8_t>(kFaderChannelLabelSize)};
    if (payload.size() < 2 || readBE16(payload, 0) == 0)
        return -1; // damaged: no record size to walk by
    const FixedList list{2, readBE16(payload, 0)};
    int removed = 0;
    for (std::size_t i = 0; i < list.count(payload.size());) {
        if (payload[list.offset(i)] == number) {
            EraseBytes(payload, list.offset(i), list.stride);
            ++removed;
        } else {
            ++i;
        }
    }
    if (record.Number == 0)
        return removed;
    std::vector<std::uint8_t> bytes(list.stride, 0);
    bytes[0] = static_cast<std::uint8_t>(number);
    for (std::size_t i = 0; i < 16 && 1 + i < bytes.size(); ++i)
        bytes[1 + i] = static_cast<std::uint8_t>(record.Label[i]);
    if (bytes.size() > 17)
        bytes[17] = 0;
    InsertBytes(payload, 2, bytes);
    payload.resize(list.end(payload.size()));
    return 1;
}

} // namespace kvr::model
