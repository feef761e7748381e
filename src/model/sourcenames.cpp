#include "model/sourcenames.h"

#include <algorithm>

#include "diagnostics/platform.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/keyfunctions.h"
#include "model/logicrecords.h"
#include "model/outputfunctions.h"
#include "model/potnames.h"
#include "model/project.h"
#include "model/recordsupport.h"
#include "model/recordtext.h"
#include "model/sourceids.h"
#include "model/sourcewalks.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

namespace kvr::model {

using diag::Format;

namespace {

const char* Side(int id) { return (id & 1) ? "R" : "L"; }

std::string TrimRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// ---- audio sources -----------------------------------------------------------------------

std::string CardChannelName(TDevice& dev, int id, bool longForm)
{
    const int slot = ((id >> 8) & 0x1F) - 1;
    if (slot < 0)
        return "None";
    const auto record = dev.GetSetupData(static_cast<std::uint8_t>(slot));
    CardChannels card;
    if (!CardChannelEntries(record, card))
        return "None";
    const int low = id & 0xFF;
    for (std::size_t n = 0; n < card.count; ++n) {
        const std::size_t at = card.first + kChannelEntrySize * n;
        const int c = readBE16(record, at + 16);
        const std::string label = RecordLabel(record, at, 16);
        const char* kind = (c & 0x80) ? "OUT " : "IN ";
        if (c & arStereo) {
            const char* side = nullptr;
            if ((c & 0xFF) == low)
                side = "L";
            else if ((c & 0xFF) == (low & 0xFE))
                side = "R";
            if (side == nullptr)
                continue;
            if (!longForm)
                return label + " " + side;
            return kind + GetChannelName(c, card.cardType, false) + " " + label + " " + side;
        }
        if ((c & 0xFF) == low)
            return longForm ? kind + GetChannelName(c, card.cardType, false) + " " + label : label;
    }
    return "None";
}

// Bus record b of structure 19 (program buses first, then AUX buses).
bool BusRecord(const std::vector<std::uint8_t>& buses, int b, std::string& label, bool& stereo)
{
    const std::size_t at = kBusRecordSize * static_cast<std::size_t>(b);
    if (b < 0 || at + kBusRecordSize > buses.size())
        return false;
    label = RecordLabel(buses, at, 16);
    stereo = (buses[at + 16] & 0x80) != 0;
    return true;
}

std::string BusLabel(TDevice& dev, int b)
{
    std::string label;
    bool stereo = false;
    BusRecord(dev.GetData(stBus), b, label, stereo);
    return label;
}

std::string SummingBusName(TDevice& dev, int id, int bus, int count, const char* kind, bool longForm)
{
    std::string label;
    bool stereo = false;
    const int programs = HeaderByte(dev, dh::ProgramBusCount);
    const int index = kind[0] == 'A' ? programs + bus : bus;
    if (bus >= count || !BusRecord(dev.GetData(stBus), index, label, stereo))
        return "None";
    std::string name = stereo ? label + " " + Side(id) : label;
    return longForm ? kind + name : name;
}

std::string FixedProcName(TDevice& dev, int v, int id)
{
    const auto payload = dev.GetData(stProc);
    const auto records = WalkFixedProcessings(payload, HeaderByte(dev, dh::FixedProcCount));
    const std::size_t k = static_cast<std::size_t>(((v & ~1) - kFixedProcSourceBase) / 2);
    if (k >= records.size())
        return "None";
    const std::string label = RecordLabel(payload, records[k].offset, 10);
    if (payload[records[k].offset + 12] & 0x80)
        return "FP " + label + " " + Side(id);
    return "FP " + label;
}

std::string SOFName(TDevice& dev, int v)
{
    const auto payload = dev.GetData(stSOF);
    const auto sofs = WalkSOFs(payload);
    const std::size_t k = static_cast<std::size_t>(v - kSOFSourceBase);
    if (k >= sofs.size() || sofs[k].length < 20)
        return "Unknown source";
    return "SO " + RecordLabel(payload, sofs[k].offset + 4, 16);
}

std::string CleanFeedName(TDevice& dev, int v, int id)
{
    const auto payload = dev.GetData(stCleanFeed);
    const int h = ((v & ~1) - kCleanFeedSourceBase) / 2;
    const std::size_t at = kBusRecordSize * static_cast<std::size_t>(h);
    if (h >= HeaderByte(dev, dh::CleanFeedCount) || at + kBusRecordSize > payload.size())
        return "None";
    const std::string label = RecordLabel(payload, at, 16);
    if (payload[at + 16] & 0x80)
        return "CF " + label + " " + Side(id);
    return "CF " + label;
}

std::string OutFktName(TDevice& dev, int id)
{
    if (id & arStereo)
        return "None";
    const auto payload = dev.GetData(stOutFkt);
    const auto records = WalkOutputFunctions(payload);
    const std::size_t i = static_cast<std::size_t>(id - kOutFktSourceBase);
    if (i >= records.size() || static_cast<int>(i) >= HeaderByte(dev, dh::OutFktCount))
        return "None";
    return "OF " + RecordLabel(payload, records[i].offset, 10);
}

std::string InternalAudioName(TDevice& dev, int id, bool longForm)
{
    const int v = id & ~arStereo;
    if (v >= 19200)
        return Format("Routing%d", (v - 19200) / 2 + 1) + " " + Side(id);
    if (v >= 18944)
        return Format("PreFader%d", (v - 18944) / 2 + 1) + " " + Side(id);
    if (v >= kFixedProcSourceBase)
        return FixedProcName(dev, v, id);
    if (v >= 18304)
        return Format("VCA Fader %d", v - 18304 + 1);
    if (v >= kAuxMasterBase)
        return "MASTER " + BusLabel(dev, HeaderByte(dev, dh::ProgramBusCount) + (v - kAuxMasterBase));
    if (v >= kProgramMasterBase)
        return "MASTER " + BusLabel(dev, v - kProgramMasterBase);
    if (v >= 17920)
        return Format("MIDI %d", v - 17920 + 1);
    if (v >= kSOFSourceBase)
        return SOFName(dev, v);
    if (v >= kCleanFeedSourceBase)
        return CleanFeedName(dev, v, id);
    if (v >= kOutFktSourceBase)
        return OutFktName(dev, id);
    if (v >= 17088)
        return std::string("Rotary Monitor Selector ") + Side(id);
    if (v >= 17024)
        return Format("Rot. Selector %d ", (v - 17024) / 2 + 1) + Side(id);
    if (v >= 16896)
        return Format("Monitor %d ", (v - 16896) / 2 + 1) + Side(id);
    if (v >= kAuxBusSourceBase)
        return SummingBusName(dev, id, (v - kAuxBusSourceBase) / 2, HeaderByte(dev, dh::AuxBusCount), "AUX ", longForm);
    if (v == 16384)
        return "PFL L";
    if (v == 16385)
        return "PFL R";
    return SummingBusName(dev, id, (v - kProgramBusSourceBase) / 2, HeaderByte(dev, dh::ProgramBusCount), "PGM ",
                          longForm);
}

// ---- logic sources -----------------------------------------------------------------------

std::string FaderChannelLogicName(TDevice& dev, int number, const char* prefix)
{
    TFaderChannel channel;
    if (GetFaderChannel(dev, number, channel) == 0)
        return "None";
    return prefix + GetFaderChannelName(dev, number);
}

// The subscriber of the project's global resources (kept in device 0) that holds the ID. Read
// without the project's sync, so naming never writes.
std::string GlobalResourceName(const TProject& project, int id)
{
    const TDevice* first = project.Device(0);
    if (first == nullptr)
        return "Unknown";
    auto ids = GetGlobalResourceIDs(*first);
    std::sort(ids.begin(), ids.end());
    for (const std::uint8_t resourceId : ids) {
        TGlobalResource r;
        if (GetGlobalResource(*first, resourceId, r) == 0)
            continue;
        for (std::size_t s = 0; s < std::min<std::size_t>(r.Count, kMaxSubscribers); ++s) {
            if (r.Subscribers[s].LogicID != id)
                continue;
            const TDevice* owner = project.Device(project.IndexOfDevice(r.Subscribers[s].DeviceID));
            // A subscriber whose device is not in the project keeps the resource's label.
            return LabelText(r.Label) + "." + (owner != nullptr ? owner->GetName() : std::string());
        }
    }
    return "Unknown";
}

std::string RotarySelectName(TDevice& dev, int id)
{
    const auto payload = dev.GetData(stSourceList);
    int number = 1536;
    for (int list = 0; list < 10; ++list) {
        const auto found = FindSourceList(payload, list);
        if (!found)
            continue;
        if (id < number + found->Count) {
            const auto& entry = found->Entries[static_cast<std::size_t>(id - number)];
            return "RS " + TrimRight(LabelText(found->Label)) + "." + TrimRight(LabelText(entry.Text));
        }
        number += found->Count;
    }
    return "None";
}

std::string CleanFeedLogicName(TDevice& dev, int index, const char* prefix)
{
    const auto payload = dev.GetData(stCleanFeed);
    const std::size_t at = kBusRecordSize * static_cast<std::size_t>(index);
    if (at + kBusRecordSize > payload.size())
        return "None";
    return prefix + RecordLabel(payload, at, 16);
}

std::string LevelDetectName(TDevice& dev, int index, const char* prefix)
{
    const auto payload = dev.GetData(stLevelDetect);
    const FixedList list = LevelDetectList(payload);
    if (static_cast<std::size_t>(index) >= list.count(payload.size()))
        return "None";
    return prefix + RecordLabel(payload, list.offset(static_cast<std::size_t>(index)), 10);
}

std::string LogicDelayName(TDevice& dev, int index)
{
    const auto payload = dev.GetData(stLogicDelay);
    if (static_cast<std::size_t>(index) >= kLogicDelayList.count(payload.size()))
        return "None";
    return "LD " + RecordLabel(payload, kLogicDelayList.offset(static_cast<std::size_t>(index)), 10);
}

std::string LogicFunctionName(TDevice& dev, int index)
{
    // Named without a test of existence: a missing function keeps its prefix.
    const auto payload = dev.GetData(stLogicFkt);
    const auto records = LogicFunctionRecords(payload);
    const std::size_t i = static_cast<std::size_t>(index);
    return "LF " + (i < records.size() ? RecordLabel(payload, records[i].offset + 2, 10) : std::string());
}

std::string GPIName(TDevice& dev, int id)
{
    const int g = id - 385;
    const int slot = 10 * (g / 32) + (g % 32) / 4;
    const auto record = dev.GetSetupData(static_cast<std::uint8_t>(slot));
    const CardRecordView card(record);
    // The GPIO card's byte 2 holds pull-ups, not channels: the view knows where its entries start.
    if (record.size() < 4 || (!card.IsGPIOCard() && !card.IsIOCard()))
        return "Unknown";
    const int step = card.IsGPIOCard() ? 4 : 2;
    const int base = 385 + 4 * slot - 8 * (slot / 10);
    for (int j = 0; j < card.StoredGPIOs(); j += step) {
        if (base + j / step != id)
            continue;
        const std::string label = card.GPIOLabel(j);
        if (!label.empty())
            return "GPI " + label;
        return GetChannelName(MakeChannelID(slot, j, 0x40), card.CardType(), false);
    }
    return "Unknown";
}

bool IsLogicKeyModule(int type)
{
    return type == 10 || type == 11 || type == 12 || type == 13 || type == 25 || type == 26;
}
bool Is64KeyModule(int type) { return type == 10 || type == 12 || type == 25; }

std::string KeyName(TDevice& dev, int id)
{
    const int k = (id - 1) / 32;
    std::vector<std::uint8_t> entry;
    auto find = [&](int block, bool exact) {
        for (const std::uint8_t slot : ConsoleModuleSlots()) {
            if (!dev.GetSetupData(slot, entry) || entry.size() < kModuleHead)
                continue;
            const int type = ModuleType(entry);
            if (!IsLogicKeyModule(type))
                continue;
            if (entry[4] == block || (!exact && Is64KeyModule(type) && (entry[4] | 1) == block))
                return true;
        }
        return false;
    };
    if (!find(k, false) && !find(k - 1, true))
        return "Unknown";
    const int type = ModuleType(entry);
    const int key = (id - 1) & (Is64KeyModule(type) ? 63 : 31);
    const auto record = FindKeyRecord(entry, key);
    if (!record)
        return "Unknown";
    return "#C" + std::to_string(entry[4] + 1) + ".KEY" + std::to_string(key + 1) + " " +
           RecordLabel(*record, 1, 30);
}

} // namespace

std::string GetAudioSourceName(const TProject& project, int id, int deviceIndex, bool longForm)
{
    id &= 0xFFFF & ~arPhaseReverse;
    if (id == 0)
        return "None";
    TDevice* dev = project.Device(deviceIndex);
    if (dev == nullptr)
        return "NoDev";
    if ((id & ~arStereo) < InternalAudioSource)
        return CardChannelName(*dev, id, longForm);
    return InternalAudioName(*dev, id, longForm);
}

std::string GetPoolSourceName(const TProject& project, int id, int deviceIndex)
{
    if (id == 0)
        return "None";
    std::string name = GetAudioSourceName(project, id, deviceIndex, false);
    if (id & arStereo) {
        name.resize(name.size() >= 2 ? name.size() - 2 : 0);
        return "S " + name;
    }
    return "M " + name;
}

std::string GetLogicSourceName(const TProject& project, int ref, int deviceIndex)
{
    ref &= 0xFFFF;
    if (LogicRefID(static_cast<TLogicRef>(ref)) == 0)
        return "None";
    if (ref == OffLogicID)
        return "OFF";
    const int id = ref & LogicIDMask;
    if (id >= 2236)
        return "Unknown";
    if (id >= 2176)
        return "FF Fader " + std::to_string(id - 2176 + 1);
    if (id >= 2136)
        return "PFL Fader " + std::to_string(id - 2136 + 1);
    TDevice* dev = project.Device(deviceIndex);
    if (id >= 1986) {
        // Without a device there is no channel to name.
        if (dev == nullptr)
            return "None";
        return "FF2 " + GetFaderChannelName(*dev, id - 1986);
    }
    if (id >= 1836)
        return GlobalResourceName(project, id);
    if (id >= 1081 && id < 1281)
        return "GL " + ReadGlobalLogicName(project.GetProjData(pstGlobalLogics), id - 1081);
    if (dev == nullptr)
        return "None";
    if (id >= 1796)
        return "TD " + BusLabel(*dev, HeaderByte(*dev, dh::ProgramBusCount) + (id - 1796));
    if (id >= 1756)
        return FaderChannelLogicName(*dev, id - 1755, "TS ");
    if (id >= 1686)
        return "FS Fader " + std::to_string(id - 1686 + 1);
    if (id >= 1536)
        return RotarySelectName(*dev, id);
    if (id >= 1506)
        return CleanFeedLogicName(*dev, id - 1506, "CF Output Select ");
    if (id >= 1476)
        return CleanFeedLogicName(*dev, id - 1476, "CF Off Air ");
    if (id >= 1446)
        return CleanFeedLogicName(*dev, id - 1446, "CF Talk ");
    if (id >= 1416)
        return CleanFeedLogicName(*dev, id - 1416, "CF Prep. ");
    if (id >= 1401)
        return LevelDetectName(*dev, id - 1401, "LV ");
    if (id >= 1381)
        return LogicDelayName(*dev, id - 1381);
    if (id >= 1366)
        return LevelDetectName(*dev, id - 1366, "LC ");
    if (id >= 1281) {
        const char* signal = GetSystemSignalName(static_cast<std::uint32_t>(id));
        return signal != nullptr ? signal : "None";
    }
    if (id >= 931)
        return LogicFunctionName(*dev, id - 931);
    if (id >= 781)
        return FaderChannelLogicName(*dev, id - 781, "PFL ");
    if (id >= 631)
        return FaderChannelLogicName(*dev, id - 631, "FF ");
    if (id >= 481)
        return FaderChannelLogicName(*dev, id - 481, "FS ");
    if (id >= 385)
        return GPIName(*dev, id);
    return KeyName(*dev, id);
}

} // namespace kvr::model
