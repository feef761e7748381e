#include "model/cardrecords.h"

#include "kvrdata/byteorder.h"
#include "model/recordlist.h"
#include "model/recordtext.h"

#include <algorithm>
#include <cstdio>

namespace kvr::model {

namespace {

constexpr std::size_t kChannelEntrySize = 24;
constexpr std::size_t kGPIOEntrySize = 16;
constexpr std::size_t kIOHead = 4;
constexpr std::size_t kDSPHead = 8;

constexpr FixedList kPotiList{0, 4};
constexpr FixedList kRotSelList{0, 4};

TChannelEntry DecodeChannel(std::span<const std::uint8_t> bytes)
{
    TChannelEntry e;
    ReadLabel(e.Label, bytes.subspan(0, 16));
    e.ID = readBE16(bytes, 16);
    e.Option = bytes[18];
    e.Level = bytes[19];
    e.SecondRef = readBE16(bytes, 20);
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

std::uint16_t CardTypeOf(std::span<const std::uint8_t> record)
{
    return record.size() >= 2 ? readBE16(record, 0) : 0;
}

int DSPChannelCount(std::span<const std::uint8_t> record)
{
    return record.size() >= 4 ? (readLE16(record, 2) & 0x1FF) : 0;
}

bool DecodeCardRecord(std::span<const std::uint8_t> record, TCardRecord& out)
{
    out = TCardRecord{};
    if (record.size() < 2)
        return false;
    out.CardType = readBE16(record, 0);
    std::size_t channels = 0;
    std::size_t gpios = 0;
    std::size_t at = 0;
    if (out.IsDSP()) {
        if (record.size() >= 4) {
            const std::uint16_t word = readLE16(record, 2);
            channels = word & 0x1FF;
            out.DSPFlags = static_cast<std::uint16_t>(word & ~0x1FFu);
        }
        for (std::size_t i = 0; i < 4 && 4 + i < record.size(); ++i)
            out.DSPBytes[i] = record[4 + i];
        at = kDSPHead;
    } else {
        // Byte 2 counts channels, except on the GPIO card, which has none.
        const std::uint8_t byte2 = record.size() > 2 ? record[2] : 0;
        if (out.CardType == kCardGPIO)
            out.PullUps = byte2;
        else
            channels = byte2;
        gpios = record.size() > 3 ? record[3] : 0;
        at = kIOHead;
    }
    // Counts are clamped to the entries that the payload really holds.
    for (std::size_t i = 0; i < channels && at + kChannelEntrySize <= record.size(); ++i) {
        out.Channels.push_back(DecodeChannel(record.subspan(at, kChannelEntrySize)));
        at += kChannelEntrySize;
    }
    if (out.Channels.size() < channels)
        return true;
    for (std::size_t i = 0; i < gpios && at + kGPIOEntrySize <= record.size(); ++i) {
        std::array<std::uint8_t, 16> g{};
        std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(at), kGPIOEntrySize, g.begin());
        out.GPIOs.push_back(g);
        at += kGPIOEntrySize;
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
