#include "app/frameio/channelsettings.h"

#include <algorithm>
#include <string>

#include "app/frameio/frameeditor.h"
#include "app/frameio/linkadapt.h"
#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/linkaccess.h"
#include "model/modelhost.h"
#include "model/project.h"

namespace kvr::app::frameio {

using namespace model;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kStereo = 0x2000;
constexpr int kOutput = 0x80;
constexpr int kPort2 = 0x40;
constexpr int kMaxMadiEntries = 511; // the 9-bit count
constexpr int kSteps = 4;            // stereo pairs a MADI mode change adds or removes per direction

bool IsIOCard(int Type) { return IsIOCardType(Type); }
bool IsDSP(const Bytes& R) { return CardRecordView(R).IsDSPCard() && R.size() >= kDSPCardHead; }

// Channel entries of an I/O or DSP card record, bounded by the bytes stored.
int CountOf(const Bytes& R)
{
    const CardRecordView card(R);
    return card.IsIOCard() || card.IsDSPCard() ? card.StoredChannels() : 0;
}

int IDOf(const Bytes& R, int I) { return CardRecordView(R).ChannelID(I); }
int OptionOf(const Bytes& R, int I) { return CardRecordView(R).Channel(I)->Option(); }
void SetLevel(Bytes& R, int I, int Level) { CardRecordWriter(R).SetLevel(I, Level); }
template <typename ChangeFn>
void ChangeOption(Bytes& R, int I, const ChangeFn& Change, bool Output)
{
    auto option = static_cast<std::uint8_t>(OptionOf(R, I));
    Change(option, Output);
    CardRecordWriter(R).SetOption(I, option);
}

int PortWord(int Slot, int Port) { return (Slot + 1) * 256 + Port; }
int PortOfID(int ID) { return (ID & kPort2) ? 1 : 0; }

// The even entry of a mono pair whose other entry is I: I itself when it is even or its partner
// is not the entry before it.
int EvenEntry(const Bytes& R, int I)
{
    const int id = IDOf(R, I);
    if ((id & kStereo) == 0 && (id & 1) != 0 && I > 0 && IDOf(R, I - 1) == (id & ~1))
        return I - 1;
    return I;
}

// The odd partner of the mono entry I, -1 when it is not in the channel list.
int PartnerEntry(const Bytes& R, int I)
{
    const int id = IDOf(R, I);
    if ((id & (kStereo | 1)) != 0 || I + 1 >= CountOf(R) || IDOf(R, I + 1) != (id | 1))
        return -1;
    return I + 1;
}

bool InDirection(int ID, bool Inputs, bool Outputs) { return (ID & kOutput) ? Outputs : Inputs; }

// A new MADI entry after a group's last one: the next stereo pair, labelled by its name.
ChannelEntryBytes NewMadiEntry(int ID, int Level)
{
    return MakeChannelEntry(GetChannelName(ID, kCardDSP, false).substr(0, 16), ID, Level);
}

} // namespace

SettingCell PointerCell(const FrameIOView& View)
{
    return {View.FPointerSlot, View.FPointerRow, View.FPointerPort, View.WholeFrame()};
}

ChannelSettings::ChannelSettings(TProject& Project, int Device, FrameEditor& Editor)
    : FProject(Project), FDevice(Device), FEditor(Editor)
{
}

TDevice* ChannelSettings::Dev() const { return FProject.Device(FDevice); }

ChannelSettings::Bytes ChannelSettings::Read(int Slot) const
{
    const TDevice* dev = Dev();
    if (dev == nullptr || Slot < 0 || Slot >= kSlotCountMax)
        return {};
    return dev->GetSetupData(static_cast<std::uint8_t>(Slot));
}

bool ChannelSettings::Write(int Slot, const Bytes& Record)
{
    // A read-only device, or an image at its size limit, keeps the record: nothing to follow.
    return Dev() != nullptr && Dev()->SetSetupData(static_cast<std::uint8_t>(Slot), Record) >= 0;
}

int ChannelSettings::SlotCount() const { return Dev() != nullptr ? Dev()->GetSlotCount() : 0; }

bool ChannelSettings::LinkTarget(int Word) const
{
    return Word > 0 && FindDeviceLink(FProject, Word, FDevice, nullptr, lkTargetSide) != 0;
}

bool ChannelSettings::PairIsLinkTarget(int ID) const { return ID > 0 && (LinkTarget(ID & ~1) || LinkTarget(ID | 1)); }

void ChannelSettings::FollowChannel(int ID, int Flag) { FEditor.FollowLinks(ID, ID, Flag); }

void ChannelSettings::FollowPort(int Slot, int Port, int Flag, bool FedOnly)
{
    FEditor.FollowLinks(PortWord(Slot, Port), Port, Flag, FedOnly);
}

// MADI channel mode of one port: 56 or 64 channels, or a stagebox (56 channels).
bool ChannelSettings::MADIChannelsChange(const SettingCell& Cell, int Item)
{
    Bytes r = Read(Cell.Slot);
    if (!IsDSP(r) || Item < 0 || Item > 2)
        return false;
    const int subType = CardRecordView(r).DSPVariant();
    const int port = Cell.Port == 1 ? 1 : 0;
    if ((subType != 2 && subType != 3) || (port == 1 && subType != 3))
        return false;

    auto mode = static_cast<std::uint8_t>(CardRecordView(r).PortFlags(port));
    bool remove = false, add = false;
    switch (Item) {
    case 0:
        remove = (mode & 0x40) != 0 && (mode & 0x10) == 0;
        mode &= static_cast<std::uint8_t>(~0x50);
        break;
    case 1:
        add = (mode & 0x40) == 0 || (mode & 0x10) != 0;
        mode = static_cast<std::uint8_t>((mode | 0x40) & ~0x10);
        break;
    default:
        remove = (mode & 0x40) != 0;
        mode = static_cast<std::uint8_t>((mode & ~0x40) | 0x10);
        break;
    }
    CardRecordWriter(r).SetPortFlags(port, mode);

    // The group walk, and the card's balance of input and output channels.
    MadiGroupEnds ends = WalkMadiGroups(r);
    const int count = CountOf(r);
    int inputs = 0, outputs = 0;
    std::vector<ChannelEntryBytes> entries = StoredChannelEntries(CardRecordView(r));
    for (int i = 0; i < count; ++i) {
        const int id = IDOf(r, i);
        ((id & kOutput) ? outputs : inputs) += (id & kStereo) ? 2 : 1;
    }
    if (inputs != outputs)
        ShowError("CX4AppForm", "MADIChannelsChange",
                  kMadiProblemText + std::to_string(inputs) + " vs. " + std::to_string(outputs) + " channels");

    const auto id = [&](int i) { return ChannelEntryView(entries[static_cast<std::size_t>(i)]).ID(); };
    const auto shift = [&](std::size_t group, int by) {
        for (std::size_t g = group; g < ends.size(); ++g)
            ends[g] += by;
    };
    const int level = static_cast<std::int8_t>(Dev()->Header()[dh::DigitalDefaultLevel] - 30);
    for (const std::size_t group : {static_cast<std::size_t>(2 * port), static_cast<std::size_t>(2 * port + 1)}) {
        // Both work inside the group: a removal stops at its first entry, and an empty group
        // has no last channel to follow.
        if (remove) {
            for (int step = 0; step < kSteps; ++step) {
                const int start = group == 0 ? 0 : ends[group - 1];
                const int end = ends[group];
                if (end <= start)
                    break;
                const int n = (id(end - 1) & kStereo) == 0 && end - 2 >= start ? 2 : 1;
                entries.erase(entries.begin() + (end - n), entries.begin() + end);
                shift(group, -n);
            }
        } else if (add) {
            for (int step = 0; step < kSteps; ++step) {
                const int start = group == 0 ? 0 : ends[group - 1];
                const int end = ends[group];
                const int last = end > start ? id(end - 1) : -1;
                // The pair after the last one; a port holds channels 0-63 only.
                if (last < 0 || (last & 0x3E) + 2 > 0x3F || static_cast<int>(entries.size()) >= kMaxMadiEntries)
                    break;
                const int next = ((last & ~1) + 2) | kStereo;
                entries.insert(entries.begin() + end, NewMadiEntry(next, level));
                shift(group, 1);
            }
        }
    }

    SetDSPChannelEntries(r, entries);
    if (!Write(Cell.Slot, r))
        return false;
    // Ports fed by this one mirror its new channel list.
    FollowPort(Cell.Slot, port, 0, true);
    return true;
}

bool ChannelSettings::DelayAnzBoxChange(const SettingCell& Cell, int Item)
{
    Bytes r = Read(Cell.Slot);
    if (!IsDSP(r) || CardRecordView(r).DSPVariant() != 4 || Item < 0 || Item > 5)
        return false;
    CardRecordWriter(r).SetDelayCode(Item + 1);
    if (!Write(Cell.Slot, r))
        return false;
    return true;
}

bool ChannelSettings::PullUpBoxChange(const SettingCell& Cell, int Item)
{
    if (Item < 0 || Item > 1)
        return false;
    const bool on = Item == 1;
    if (Cell.Row == kRowSetAllLower) {
        bool changed = false;
        for (int slot = 0; slot < SlotCount(); ++slot) {
            Bytes r = Read(slot);
            if (CardTypeOf(r) != kCardGPIO || r.size() < 4)
                continue;
            const int pullUps = CardRecordView(r).PullUps();
            CardRecordWriter(r).SetPullUps(on ? pullUps | 0x0F : pullUps & ~0x0F);
            changed = Write(slot, r) || changed;
        }
        return changed;
    }
    Bytes r = Read(Cell.Slot);
    const int row = Cell.Row;
    if (CardTypeOf(r) != kCardGPIO || r.size() < 4 || row < 0 || row >= CardRecordView(r).GPIOCount() || row % 4 != 0 ||
        row / 4 >= 8)
        return false;
    const int bit = 1 << (row / 4);
    const int pullUps = CardRecordView(r).PullUps();
    CardRecordWriter(r).SetPullUps(on ? pullUps | bit : pullUps & ~bit);
    if (!Write(Cell.Slot, r))
        return false;
    return true;
}

bool ChannelSettings::StereoBoxChange(const SettingCell& Cell, int Item)
{
    Bytes r = Read(Cell.Slot);
    const bool dsp = IsDSP(r);
    if (Item < 0 || Item > 1 || (!dsp && !IsIOCard(CardTypeOf(r))) || Cell.Row < 0 || Cell.Row >= CountOf(r))
        return false;
    const bool stereo = Item == 1;
    int row = Cell.Row;
    const int c = IDOf(r, row);
    if (stereo == ((c & kStereo) != 0))
        return false; // the channel already is what was chosen
    if (!IsEditableChannel(c) || (dsp ? (c & kOutput) == 0 && LinkTarget(PortWord(Cell.Slot, PortOfID(c))) : PairIsLinkTarget(c)))
        return false; // edited at the link's source
    // Joining starts from the pair's even entry, whichever of the two was clicked.
    if (stereo) {
        row = JoinStereoEntry(r, row);
        if (row < 0)
            return false;
    } else if (!SplitStereoEntry(r, row)) {
        return false;
    }
    if (!Write(Cell.Slot, r))
        return false;
    const int now = IDOf(r, row);
    CallAdaptStereoSources(*Dev(), now);
    if (dsp)
        FollowPort(Cell.Slot, PortOfID(now), 1);
    else
        FollowChannel(now, 1);
    return true;
}

bool ChannelSettings::ChangePair(const SettingCell& Cell, Direction Which, const OptionChange& Change)
{
    Bytes r = Read(Cell.Slot);
    if (CardTypeOf(r) != kCardDigitalIO || Cell.Row < 0 || Cell.Row >= CountOf(r))
        return false;
    const int c = IDOf(r, Cell.Row);
    const bool output = (c & kOutput) != 0;
    if (!IsEditableChannel(c) || PairIsLinkTarget(c) || !InDirection(c, Which != Direction::Outputs, Which != Direction::Inputs))
        return false;
    const int even = EvenEntry(r, Cell.Row);
    ChangeOption(r, even, Change, output);
    // The pair shares its AES transport: the partner takes the whole option byte.
    if (const int partner = PartnerEntry(r, even); partner >= 0)
        CardRecordWriter(r).SetOption(partner, OptionOf(r, even));
    if (!Write(Cell.Slot, r))
        return false;
    FollowChannel(c, 0);
    return true;
}

bool ChannelSettings::SetAllOptions(Direction Which, const OptionChange& Change)
{
    bool changed = false;
    for (int slot = 0; slot < SlotCount(); ++slot) {
        Bytes r = Read(slot);
        if (CardTypeOf(r) != kCardDigitalIO)
            continue;
        std::vector<int> ids;
        for (int i = 0; i < CountOf(r); ++i) {
            const int id = IDOf(r, i);
            if (!InDirection(id, Which != Direction::Outputs, Which != Direction::Inputs))
                continue;
            ChangeOption(r, i, Change, (id & kOutput) != 0);
            ids.push_back(id);
        }
        if (ids.empty())
            continue;
        // The links read the source card from the device: the record is written first.
        if (!Write(slot, r))
            continue;
        for (const int id : ids)
            FollowChannel(id, 0);
        changed = true;
    }
    return changed;
}

bool ChannelSettings::DitherBoxChange(const SettingCell& Cell, int Item)
{
    if (Item < 0 || Item > 3)
        return false;
    const auto change = [Item](std::uint8_t& o, bool) { o = static_cast<std::uint8_t>((o & ~0x03) | Item); };
    return Cell.Row == kRowSetAllLower ? SetAllOptions(Direction::Outputs, change) : ChangePair(Cell, Direction::Outputs, change);
}

bool ChannelSettings::ChModeBoxChange(const SettingCell& Cell, int Item)
{
    if (Item < 0 || Item > 1)
        return false;
    const auto change = [Item](std::uint8_t& o, bool) { o = static_cast<std::uint8_t>((o & ~0x10) | (Item << 4)); };
    return Cell.Row == kRowSetAllLower ? SetAllOptions(Direction::Outputs, change) : ChangePair(Cell, Direction::Outputs, change);
}

bool ChannelSettings::DigiModeBoxChange(const SettingCell& Cell, int Item)
{
    if (Item < 0 || Item > 1)
        return false;
    const bool spdif = Item == 1;
    const auto change = [spdif](std::uint8_t& o, bool output) {
        if (output)
            o = static_cast<std::uint8_t>(spdif ? o | 0x80 : o & ~0x80);
        else
            o = static_cast<std::uint8_t>(spdif ? (o | 0x04) & ~0x08 : o & ~0x04);
    };
    return Cell.Row == kRowSetAllLower ? SetAllOptions(Direction::Both, change) : ChangePair(Cell, Direction::Both, change);
}

bool ChannelSettings::SRCBoxChange(const SettingCell& Cell, int Item)
{
    if (Item < 0 || Item > 1)
        return false;
    const auto change = [Item](std::uint8_t& o, bool) { o = static_cast<std::uint8_t>((o & ~0x60) | (Item << 5)); };
    return Cell.Row == kRowSetAllLower ? SetAllOptions(Direction::Inputs, change) : ChangePair(Cell, Direction::Inputs, change);
}

bool ChannelSettings::HeadRoomBoxChange(const SettingCell& Cell, int Item)
{
    if (Item < 0 || Item > 30)
        return false;
    if (Cell.Row == kRowSetAllUpper)
        return SetAllDigitalLevel(Item - 30);
    if (Cell.Row == kRowSetAllLower)
        return SetAllAnalogLevel(Item);
    return ChannelLevel(Cell, Item - 30);
}

bool ChannelSettings::SetAllDigitalLevel(int Level)
{
    bool changed = false;
    for (int slot = 0; slot < SlotCount(); ++slot) {
        Bytes r = Read(slot);
        std::vector<int> ids;
        std::vector<int> ports;
        if (CardTypeOf(r) == kCardDigitalIO) {
            for (int i = 0; i < CountOf(r); ++i)
                if (const int id = IDOf(r, i); !LinkTarget(id)) {
                    SetLevel(r, i, Level);
                    ids.push_back(id);
                }
        } else if (const int sub = CardRecordView(r).DSPVariant(); IsDSP(r) && (sub == 2 || sub == 3)) {
            // Each card's port boundary from its own entries: port 2 starts with the first input
            // after port 1's outputs. A port in 32-bit float, or fed by a link, keeps its levels.
            const MadiGroupEnds ends = WalkMadiGroups(r);
            for (int port = 0; port < (sub == 3 ? 2 : 1); ++port) {
                const int from = port == 0 ? 0 : ends[1];
                const int to = port == 0 ? ends[1] : ends[3];
                if ((CardRecordView(r).PortFlags(port) & 0x80) != 0 || from >= to || LinkTarget(PortWord(slot, port)))
                    continue;
                for (int i = from; i < to; ++i)
                    SetLevel(r, i, Level);
                ports.push_back(port);
            }
        }
        if ((ids.empty() && ports.empty()) || !Write(slot, r))
            continue;
        for (const int id : ids)
            FollowChannel(id, 0);
        for (const int port : ports)
            FollowPort(slot, port, 0);
        changed = true;
    }
    return changed;
}

bool ChannelSettings::SetAllAnalogLevel(int Item)
{
    std::vector<int> ids;
    for (int slot = 0; slot < SlotCount(); ++slot) {
        Bytes r = Read(slot);
        const int type = CardTypeOf(r);
        if (type != 122 && type != 123 && type != 222 && type != 223)
            continue;
        // The items are dBu -12 .. 18; a 223 sits 6 dB higher, so its lowest items meet its
        // lowest level -30.
        const int level = type == 223 ? std::max(Item - 36, -30) : Item - 30;
        const std::size_t before = ids.size();
        for (int i = 0; i < CountOf(r); ++i)
            if (const int id = IDOf(r, i); !LinkTarget(id)) {
                SetLevel(r, i, level);
                ids.push_back(id);
            }
        if (ids.size() != before && !Write(slot, r))
            ids.resize(before);
    }
    for (const int id : ids)
        FollowChannel(id, 0);
    return !ids.empty();
}

bool ChannelSettings::ChannelLevel(const SettingCell& Cell, int Level)
{
    Bytes r = Read(Cell.Slot);
    const int type = CardTypeOf(r);
    if (IsDSP(r)) {
        const bool redundant = CardRecordView(r).Redundant();
        int port = Cell.Port == 1 ? 1 : 0;
        if (Cell.WholeFrame) {
            // The port line stands for every channel of its port.
            if ((CardRecordView(r).PortFlags(port) & 0x80) != 0 || (!redundant && LinkTarget(PortWord(Cell.Slot, port))))
                return false;
            bool any = false;
            for (int i = 0; i < CountOf(r); ++i)
                if (PortOfID(IDOf(r, i)) == port) {
                    SetLevel(r, i, Level);
                    any = true;
                }
            if (!any)
                return false;
        } else {
            if (Cell.Row < 0 || Cell.Row >= CountOf(r))
                return false;
            const int id = IDOf(r, Cell.Row);
            port = PortOfID(id);
            if ((CardRecordView(r).PortFlags(port) & 0x80) != 0 ||
                (!redundant && (id & kOutput) == 0 && LinkTarget(PortWord(Cell.Slot, port))))
                return false;
            SetLevel(r, Cell.Row, Level);
        }
        if (!Write(Cell.Slot, r))
            return false;
        FollowPort(Cell.Slot, port, 0);
        return true;
    }
    if (!IsIOCard(type) || Cell.Row < 0 || Cell.Row >= CountOf(r))
        return false;
    const int c = IDOf(r, Cell.Row);
    if (!IsEditableChannel(c) || PairIsLinkTarget(c))
        return false;
    if (type == kCardDigitalIO) {
        // A mono pair takes the level on both entries; its option bytes stay as they are.
        const int even = EvenEntry(r, Cell.Row);
        SetLevel(r, even, Level);
        if (const int partner = PartnerEntry(r, even); partner >= 0)
            SetLevel(r, partner, Level);
    } else {
        SetLevel(r, Cell.Row, Level);
    }
    if (!Write(Cell.Slot, r))
        return false;
    FollowChannel(c, 0);
    return true;
}

bool ChannelSettings::FloatBoxChange(const SettingCell& Cell, int Item)
{
    Bytes r = Read(Cell.Slot);
    if (!IsDSP(r) || Item < 0 || Item > 1)
        return false;
    const int port = Cell.Port == 1 ? 1 : 0;
    const int mode = CardRecordView(r).PortFlags(port);
    CardRecordWriter(r).SetPortFlags(port, Item == 1 ? mode | 0x80 : mode & ~0x80);
    if (!Write(Cell.Slot, r))
        return false;
    // The number format travels with the port's mode flags to the ports it feeds.
    FollowPort(Cell.Slot, port, 0, true);
    return true;
}

void CheckSlotChannels(const TDevice& Device)
{
    if (!TraceCallback)
        return;
    for (int slot = 0; slot < kSlotCountMax; ++slot) {
        if (slot % 10 >= 8)
            continue;
        const Bytes r = Device.GetSetupData(static_cast<std::uint8_t>(slot));
        if (r.empty())
            continue;
        const CardRecordView card(r);
        const int type = card.CardType();
        const int channels = card.ChannelCountByte();
        const int gpios = card.GPIOCount();
        TraceCallback("Slot: " + std::to_string(slot + 1) + ", Type= " + std::to_string(type) + ", ChAnz= " +
                      std::to_string(channels));
        const std::size_t expected = type == kCardGPIO ? card.GPIOAt(gpios)
                                                       : static_cast<std::size_t>(CalcCardRecordSize(r));
        if (r.size() != expected)
            TraceCallback("Invalid size information!");
    }
}

} // namespace kvr::app::frameio
