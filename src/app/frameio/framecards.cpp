#include "app/frameio/framecards.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdio>

#include "app/frameio/frameview.h"
#include "app/frameio/slotrecord.h"
#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/gpoaccess.h"
#include "model/inserts.h"
#include "model/linkaccess.h"
#include "model/project.h"
#include "model/recordhooks.h"
#include "model/summingbuses.h"
#include "platform/prompter.h"

namespace kvr::app::frameio {

using namespace model;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kFirstGPILogicSource = 385;

std::vector<DSPCombination> BuildDSPCardCombinationTable()
{
    std::vector<DSPCombination> rows;
    for (int a = 0; a <= 5; ++a)
        for (int b = 0; b <= 5; ++b)
            for (int c = 0; c <= 5; ++c) {
                if ((a == 0 && b != 0) || ((a == 0 || b == 0) && c != 0) || c == 1 ||
                    ((a == 1 || b == 1) && c > 1) || ((a == 1 || b == 1) && (a > 2 || b > 2)))
                    continue;
                const bool mix = (a == 1 && b == 2 && c == 0) || (a == 2 && b == 1 && c == 0);
                rows.push_back({a, b, c, mix ? 2 : 1});
            }
    return rows;
}

int DSPSlotOf(int Slot) { return 10 * (Slot / 10) + 9; }

std::array<int, 3> DSPValues(const TDevice& Dev)
{
    return {DSPCombinationValue(Dev.GetSetupData(9)), DSPCombinationValue(Dev.GetSetupData(19)),
            DSPCombinationValue(Dev.GetSetupData(29))};
}

int Lookup(const TDevice& Dev, int Slot, int Candidate)
{
    const auto v = DSPValues(Dev);
    return LookupDSPCardCombination(v[0], v[1], v[2], Slot, Candidate);
}

void PutEntry(Bytes& Record, int ID, int CardType, int Level)
{
    AppendChannelEntry(Record, GetChannelName(ID, CardType, false).substr(0, 16), ID, Level);
}

std::vector<ChannelEntryBytes> MadiEntries(const Bytes& Record) { return StoredChannelEntries(CardRecordView(Record)); }

// The record's head kept, its entries replaced.
Bytes WithEntries(Bytes Head, const std::vector<ChannelEntryBytes>& Entries)
{
    SetDSPChannelEntries(Head, Entries);
    return Head;
}

Bytes DSPRecord(int SubType, int PortFlags = 0) { return NewDSPCardRecord(SubType, PortFlags); }

// Deletes the links of this device's slot whose port, on this side, has a low byte of at least
// FromPort (0: every link of the slot), or that `Keep` does not keep.
template <typename KeepFn>
void DeleteSlotLinks(const FrameCardContext& C, int Slot, int FromPort, KeepFn Keep)
{
    for (int id = 0; id < kMaxDeviceLinks; ++id) {
        TDeviceLink l;
        if (GetDeviceLink(C.Project, id, l) == 0)
            continue;
        const bool source = l.SDev == C.Device && l.SSlot == Slot && (l.SPort & 0xFF) >= FromPort;
        const bool target = l.TDev == C.Device && l.TSlot == Slot && (l.TPort & 0xFF) >= FromPort;
        if ((source && !Keep(l, l.SPort)) || (target && !Keep(l, l.TPort)))
            DeleteDeviceLink(C.Project, id);
    }
}

void DeleteSlotLinks(const FrameCardContext& C, int Slot, int FromPort)
{
    DeleteSlotLinks(C, Slot, FromPort, [](const TDeviceLink&, int) { return false; });
}

std::vector<int> ChannelIDs(const Bytes& Record)
{
    std::vector<int> ids;
    const SlotRecord r(Record, !Record.empty());
    for (int i = 0; i < r.ChannelRowCount(); ++i)
        if (const auto e = r.Entry(i))
            ids.push_back(e->ID);
    return ids;
}

bool Ask(const FrameCardContext& C, const char* Text, const char* Caption, platform::Buttons Buttons, platform::Answer Want)
{
    return C.Prompter.messageBox(QString::fromLatin1(Text), QString::fromLatin1(Caption), Buttons,
                                 platform::Icon::Exclamation) == Want;
}

// A card replaced by another: what the new card cannot serve goes, the rest stays.
void ReplaceCard(const FrameCardContext& C, int Slot, const Bytes& Record)
{
    TDevice& dev = C.Dev();
    const Bytes old = dev.GetSetupData(static_cast<std::uint8_t>(Slot));
    const int oldType = CardTypeOf(old);
    const int newType = CardTypeOf(Record);
    if (!old.empty() && (oldType == kCardGPIO || newType == kCardGPIO)) {
        RemoveCard(C, Slot);
    } else if (!old.empty()) {
        const std::vector<int> served = ChannelIDs(Record);
        const bool sameClass = (oldType == kCardDigitalIO) == (newType == kCardDigitalIO);
        for (const int id : ChannelIDs(old))
            if (std::find(served.begin(), served.end(), id) == served.end())
                CallAdaptAudioSources(dev, id, 0);
        DeleteSlotLinks(C, Slot, 0, [&](const TDeviceLink& l, int port) {
            const int mask = l.Type == 1 ? 0x5FFE : 0x5FFF;
            return sameClass && std::any_of(served.begin(), served.end(), [&](int id) { return (id & mask) == (port & mask); });
        });
    }
    dev.SetSetupData(static_cast<std::uint8_t>(Slot), Record);
}

} // namespace

TDevice& FrameCardContext::Dev() const { return *Project.Device(Device); }

const std::vector<DSPCombination>& DSPCardCombinationTable()
{
    static const std::vector<DSPCombination> table = BuildDSPCardCombinationTable();
    return table;
}

int LookupDSPCardCombination(int Value9, int Value19, int Value29, int Slot, int Candidate)
{
    std::array<int, 3> v{Value9, Value19, Value29};
    v[static_cast<std::size_t>(std::clamp(Slot / 10, 0, 2))] = Candidate;
    for (const DSPCombination& row : DSPCardCombinationTable())
        if (row.Slot9 == v[0] && row.Slot19 == v[1] && row.Slot29 == v[2])
            return row.Kind;
    return 0;
}

int DSPCombinationValue(const std::vector<std::uint8_t>& Record)
{
    return Record.empty() ? 0 : CardRecordView(Record).DSPVariant() + 1;
}

std::vector<std::uint8_t> DefaultCardRecord(int CardType, int Slot, const TDevice& Device)
{
    const auto& header = Device.Header();
    const int analog = header[dh::AnalogDefaultLevel] - 30;
    const int digital = header[dh::DigitalDefaultLevel] - 30;
    Bytes r(4, 0);
    CardRecordWriter card(r);
    card.SetCardType(CardType);
    card.SetGPIOCount(8);
    int in = 0, out = 0;
    switch (CardType) {
    case 111:
        for (int n = 0; n < 8; ++n)
            PutEntry(r, MakeChannelID(Slot, n & ~1, 0x2000) | (n % 2 ? 0x80 : 0), CardType, digital);
        break;
    case 122:
        for (int n = 0; n < 6; ++n) {
            if (n == 2 || n == 5) {
                PutEntry(r, MakeChannelID(Slot, out, 0x2080), CardType, analog);
                out += 2;
            } else {
                PutEntry(r, MakeChannelID(Slot, in++, 0), CardType, analog);
            }
        }
        break;
    case 123:
        for (int n = 0; n < 4; ++n)
            PutEntry(r, MakeChannelID(Slot, n, 0), CardType, analog);
        break;
    case 222:
    case 223:
        for (int n = 0; n < 4; ++n) {
            int& counter = n % 2 ? out : in;
            PutEntry(r, MakeChannelID(Slot, counter, n % 2 ? 0x2080 : 0x2000), CardType, CardType == 223 ? -18 : analog);
            counter += 2;
        }
        break;
    case kCardGPIO:
        card.SetGPIOCount(16);
        break;
    default:
        return {};
    }
    CardRecordWriter(r).SetChannelCount(static_cast<int>((r.size() - 4) / kChannelEntrySize));
    const int gpios = CardRecordView(r).GPIOCount();
    for (int n = 0; n < gpios; ++n) {
        const bool gpo = CardType == kCardGPIO ? n % 4 != 0 : n % 2 != 0;
        AppendGPIOEntry(r, GetChannelName(MakeChannelID(Slot, n, 0x40) | (gpo ? 0x80 : 0), CardType, false).substr(0, 16));
    }
    return r;
}

void AppendMadiPort(std::vector<std::uint8_t>& Record, int Slot, int Port, int Level)
{
    if (Record.size() < kDSPCardHead)
        Record.resize(kDSPCardHead, 0);
    const int second = Port == 1 ? 0x40 : 0;
    int count = CardRecordView(Record).MadiCount();
    for (const int direction : {0, 0x80})
        for (int pair = 0; pair < 32; ++pair, ++count)
            PutEntry(Record, MakeChannelID(Slot, (2 * pair) % 64, 0x2000 | direction | second), kCardDSP, Level);
    CardRecordWriter(Record).SetMadiCount(count);
}

void RemoveCard(const FrameCardContext& C, int Slot)
{
    TDevice& dev = C.Dev();
    const Bytes record = dev.GetSetupData(static_cast<std::uint8_t>(Slot));
    if (record.empty())
        return;
    ClearSlotReferences(C.Project, dev.GetDeviceID(), Slot, 0, 0);
    DeleteSlotLinks(C, Slot, 0);
    const bool gpio = CardTypeOf(record) == kCardGPIO;
    if (gpio)
        for (int n = 0; n < 8; ++n)
            SetGPORouting(dev, (Slot * 256 + n) | 0x8000, 0);
    dev.SetSetupData(static_cast<std::uint8_t>(Slot), {});
    if (gpio)
        for (int n = 0; n < 4; ++n)
            AdaptLogics(dev, kFirstGPILogicSource + 32 * (Slot / 10) + 4 * (Slot % 10) + n, 0, amDelete);
}

bool SlotTypeSelectorChange(const FrameCardContext& C, int Slot, int Item)
{
    if (Item < 0 || Item >= static_cast<int>(std::size(kSlotTypeItems)) || Slot < 0 || Slot >= kSlotCountMax ||
        IsDSPSlot(Slot) || IsControllerPosition(Slot))
        return false;
    TDevice& dev = C.Dev();
    const int type = kSlotTypeItems[Item];
    const int dspSlot = DSPSlotOf(Slot);
    if (type != 0 && dev.GetSetupData(static_cast<std::uint8_t>(dspSlot)).empty()) {
        int subType = -1;
        if (Lookup(dev, Slot, 1) == 1)
            subType = 0;
        else if (Lookup(dev, Slot, 2) == 1)
            subType = 1;
        else if (C.ServiceLevel == 0) {
            C.Prompter.showMessage("Your DSP-Card combination does not allow insertion of this card type!");
            return false;
        } else if (!Ask(C, "You are trying to set an invalid card combination!, continue?", "Override allowed settings",
                        platform::Buttons::YesNo, platform::Answer::Yes)) {
            return false;
        } else {
            subType = 1; // an 848M: an 848L is the kind most combinations refuse
        }
        dev.SetSetupData(static_cast<std::uint8_t>(dspSlot), DSPRecord(subType));
    }
    if (type == 0)
        RemoveCard(C, Slot);
    else
        ReplaceCard(C, Slot, DefaultCardRecord(type, Slot, dev));
    CalcBusLimit(dev);
    return true;
}

bool DSPTypeSelectorChange(const FrameCardContext& C, int Slot, int Item, int& CurSlot)
{
    if (!IsDSPSlot(Slot) || Item < diNone || Item > di424)
        return false;
    TDevice& dev = C.Dev();
    const bool redundant = Item == di422Redundant;
    if (redundant)
        Item = di421;
    const int value = Item > di422Redundant ? Item - 1 : Item;
    const int kind = Lookup(dev, Slot, value);
    if (kind == 0) {
        C.Prompter.showMessage("This DSP-Card combination is not allowed!");
        return false;
    }
    const auto slotByte = static_cast<std::uint8_t>(Slot);
    Bytes record = dev.GetSetupData(slotByte);
    const int old = record.empty() ? -1 : CardRecordView(record).DSPVariant();
    const int level = dev.Header()[dh::DigitalDefaultLevel] - 30;
    int deleteFrom = -1;
    // Slots that end without MADI channels lose their references first.
    const auto dropMadi = [&](int slot) {
        const Bytes r = dev.GetSetupData(static_cast<std::uint8_t>(slot));
        const int sub = CardRecordView(r).DSPVariant();
        if (sub == 2 || sub == 3) {
            ClearSlotReferences(C.Project, dev.GetDeviceID(), slot, 0, 0);
            DeleteSlotLinks(C, slot, 0);
        }
        if (CurSlot == slot)
            CurSlot = kWholeFrame;
    };

    switch (Item) {
    case di848L:
    case di848M: {
        const int sub = Item == di848L ? 0 : 1;
        if (kind == 2) {
            const char* question =
                sub == 0 ? "Combiniation of KX730-848L and KX730-848M is not allowed!\nDo you want to change both cards to "
                           "KX730-848L? If you do this, slot 30 will be cleard!"
                         : "Combiniation of KX730-848L and KX730-848M is not allowed!\nDo you want to change cards in slot 10 "
                           "and 20 to KX730-848M?";
            if (!Ask(C, question, "Warning", platform::Buttons::OkCancel, platform::Answer::Ok))
                return false;
            for (const int slot : {9, 19}) {
                dropMadi(slot);
                dev.SetSetupData(static_cast<std::uint8_t>(slot), DSPRecord(sub));
            }
            if (sub == 0)
                RemoveCard(C, 29);
        } else {
            dropMadi(Slot);
            dev.SetSetupData(slotByte, DSPRecord(sub));
        }
        break;
    }
    case di421: {
        std::vector<ChannelEntryBytes> entries = MadiEntries(record);
        if (old == 3) {
            deleteFrom = 1;
            ClearSlotReferences(C.Project, dev.GetDeviceID(), Slot, 0x40, 0x40);
            std::erase_if(entries, [](const ChannelEntryBytes& e) { return (ChannelEntryView(e).ID() & 0x40) != 0; });
        }
        if (old != 2 && old != 3) {
            record = DSPRecord(2, 0x40);
            AppendMadiPort(record, Slot, 0, level);
        } else {
            record = WithEntries(record, entries);
        }
        CardRecordWriter card(record);
        card.SetCardType(kCardDSP);
        card.SetPortFlags(0, (card.View().PortFlags(0) & ~0x20) | (redundant ? 0x20 : 0));
        card.SetPortFlags(1, 0);
        card.SetDSPVariant(2);
        dev.SetSetupData(slotByte, record);
        break;
    }
    case di422: {
        if (old == 2) {
            record = WithEntries(record, MadiEntries(record));
            CardRecordWriter(record).SetPortFlags(0, CardRecordView(record).PortFlags(0) & ~0x20);
            CardRecordWriter(record).SetPortFlags(1, 0x40);
            AppendMadiPort(record, Slot, 1, level);
        } else if (old != 3) {
            record = DSPRecord(3, 0x40);
            CardRecordWriter(record).SetPortFlags(1, 0x40);
            AppendMadiPort(record, Slot, 0, level);
            AppendMadiPort(record, Slot, 1, level);
        } else {
            record = WithEntries(record, MadiEntries(record));
        }
        CardRecordWriter(record).SetDSPVariant(3);
        dev.SetSetupData(slotByte, record);
        break;
    }
    case di424:
        // The delay card has no MADI channel left to refer to.
        dropMadi(Slot);
        dev.SetSetupData(slotByte, DSPRecord(4, 4));
        break;
    case diNone: {
        if (!record.empty()) {
            char text[96];
            std::snprintf(text, sizeof text, "Slots %d to %d will be cleared when removing this card!", Slot - 8,
                          dev.GetSlotCount());
            if (!Ask(C, text, "Warning", platform::Buttons::OkCancel, platform::Answer::Ok))
                return false;
        }
        RemoveCard(C, Slot);
        for (int k = Slot - 9; k < dev.GetSlotCount(); ++k)
            RemoveCard(C, k);
        if (CurSlot >= Slot - 9 && CurSlot < kSlotCountMax)
            CurSlot = kWholeFrame;
        break;
    }
    default:
        return false;
    }
    dev.CheckDSPResources(C.FitOptions);
    if (deleteFrom >= 0)
        DeleteSlotLinks(C, Slot, deleteFrom);
    return true;
}

bool FrameTypeChange(const FrameCardContext& C, int NewType)
{
    TDevice& dev = C.Dev();
    const int old = dev.Header()[dh::FrameType];
    if (NewType < 0 || NewType >= static_cast<int>(FrameTypeTable.size()) || NewType == old)
        return false;
    const int first = 10 * std::min(old, NewType) + 10;
    const int last = NewType < old ? 20 * old + 9 : 10 * NewType + 8;
    for (int slot = first; slot <= std::min(last, kSlotCountMax - 1); ++slot)
        RemoveCard(C, slot);
    auto header = dev.GetHeader();
    header[dh::FrameType] = static_cast<std::uint8_t>(NewType);
    dev.SetHeader(header, true);
    return true;
}

} // namespace kvr::app::frameio
