#include "model/summingbuses.h"

#include <algorithm>
#include <string>

#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/device.h"
#include "model/dspfit.h"
#include "model/dspfitdevice.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/modelhost.h"
#include "model/modelutil.h"
#include "model/recordhooks.h"
#include "model/recordsupport.h"

namespace kvr::model {

namespace {

constexpr std::size_t kOutputRoutingSize = 6;
constexpr std::size_t kMonitorSourcesSize = 24;

std::size_t WholeRecords(std::size_t size, std::size_t stride) { return size / stride; }

void CutToWholeRecords(std::vector<std::uint8_t>& payload, std::size_t stride)
{
    payload.resize(payload.size() - payload.size() % stride);
}

// The two bus counts are reset when the bus structure is missing.
void ResetBusCountsWhenMissing(TDevice& dev, bool present)
{
    if (present || (HeaderByte(dev, dh::ProgramBusCount) == 0 && HeaderByte(dev, dh::AuxBusCount) == 0))
        return;
    auto header = dev.GetHeader();
    header[dh::ProgramBusCount] = 0;
    header[dh::AuxBusCount] = 0;
    dev.SetHeader(header, true);
}

int BusSourceID(const TDevice& dev, int bus)
{
    const int programs = HeaderByte(dev, dh::ProgramBusCount);
    return bus < programs ? kProgramBusSourceBase + 2 * bus : kAuxBusSourceBase + 2 * (bus - programs);
}

// Fader-channel deletes reach the clean feed through the record hooks.
const bool hooksInstalled = [] {
    Hooks().DeleteCleanFeed = DeleteCleanFeedOfChannel;
    return true;
}();

} // namespace

TBusRecord DecodeBusRecord(std::span<const std::uint8_t> record)
{
    TBusRecord bus;
    for (std::size_t i = 0; i < 16; ++i)
        bus.Label[i] = static_cast<char>(record[i]);
    bus.Flags = record[16];
    bus.LimiterThreshold = record[17];
    bus.LimiterRelease = record[18];
    bus.FaderChannel = record[19];
    bus.SourceList = record[20];
    bus.Logic1 = readBE16(record, 24);
    bus.Logic2 = readBE16(record, 26);
    std::copy_n(record.begin() + 28, 4, bus.Reserved2.begin());
    return bus;
}

void EncodeBusRecord(const TBusRecord& bus, std::span<std::uint8_t> record)
{
    for (std::size_t i = 0; i < 16; ++i)
        record[i] = static_cast<std::uint8_t>(bus.Label[i]);
    record[16] = bus.Flags;
    record[17] = bus.LimiterThreshold;
    record[18] = bus.LimiterRelease;
    record[19] = bus.FaderChannel;
    record[20] = bus.SourceList;
    std::copy(bus.Reserved.begin(), bus.Reserved.end(), record.begin() + 21);
    writeBE16(record, 24, bus.Logic1);
    writeBE16(record, 26, bus.Logic2);
    record[28] = 0;
    record[29] = 0;
}

TBusRecord NewBusRecord(const std::string& label, int faderChannel)
{
    TBusRecord bus;
    for (std::size_t i = 0; i < bus.Label.size(); ++i)
        bus.Label[i] = i < label.size() ? label[i] : '\0';
    bus.FaderChannel = static_cast<std::uint8_t>(faderChannel);
    return bus;
}

namespace {

std::vector<std::uint8_t> PackNew(const TBusRecord& bus)
{
    std::vector<std::uint8_t> bytes(kBusRecordSize, 0);
    EncodeBusRecord(bus, bytes);
    return bytes;
}

} // namespace

void AddProgramBus(TDevice& dev)
{
    const int programs = HeaderByte(dev, dh::ProgramBusCount);
    if (dev.IsDummy() || programs >= kMaxProgramBuses)
        return;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stBus);
    // Behind the last program bus, before the first AUX bus.
    const std::size_t at = std::min(kBusRecordSize * programs, kBusRecordSize * WholeRecords(payload.size(), kBusRecordSize));
    InsertBytes(payload, at, PackNew(NewBusRecord("Program Bus " + std::to_string(programs + 1), 0)));
    if (!dev.SetData(stBus, payload))
        return;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::ProgramBusCount, programs + 1);
}

void AddAuxBus(TDevice& dev)
{
    const int aux = HeaderByte(dev, dh::AuxBusCount);
    if (dev.IsDummy() || aux >= 255)
        return;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stBus);
    const std::size_t at = kBusRecordSize * WholeRecords(payload.size(), kBusRecordSize);
    InsertBytes(payload, at, PackNew(NewBusRecord("AUX Bus " + std::to_string(aux + 1), 0)));
    if (!dev.SetData(stBus, payload))
        return;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::AuxBusCount, aux + 1);
}

int GetBus(TDevice& dev, int bus, TBusRecord& out)
{
    if (dev.IsDummy() || bus < 0)
        return 0;
    std::vector<std::uint8_t> payload;
    ResetBusCountsWhenMissing(dev, dev.GetData(stBus, payload));
    if (payload.size() < kBusRecordSize * (static_cast<std::size_t>(bus) + 1))
        return 0;
    const std::uint8_t sourceList = out.SourceList;
    out = DecodeBusRecord(std::span(payload).subspan(kBusRecordSize * bus, kBusRecordSize));
    out.SourceList = sourceList;
    return 1;
}

void SetBus(TDevice& dev, int bus, const TBusRecord& record)
{
    if (dev.IsDummy() || bus < 0)
        return;
    std::vector<std::uint8_t> payload;
    ResetBusCountsWhenMissing(dev, dev.GetData(stBus, payload));
    if (payload.size() < kBusRecordSize * (static_cast<std::size_t>(bus) + 1))
        return;
    EncodeBusRecord(record, std::span(payload).subspan(kBusRecordSize * bus, kBusRecordSize));
    if (!dev.SetData(stBus, payload))
        return;
    dev.FAudioSourcesChanged = true;
    if (!record.IsStereo())
        CallAdaptStereoSources(dev, BusSourceID(dev, bus));
}

void DeleteProgramBus(TDevice& dev, int bus)
{
    const int programs = HeaderByte(dev, dh::ProgramBusCount);
    if (dev.IsDummy() || bus < 0 || bus >= programs)
        return;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stBus);
    if (payload.size() < kBusRecordSize * (static_cast<std::size_t>(bus) + 1))
        return;
    EraseBytes(payload, kBusRecordSize * bus, kBusRecordSize);
    if (!dev.SetData(stBus, payload))
        return;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::ProgramBusCount, programs - 1);
    CallAdaptAudioSources(dev, kProgramBusSourceBase + 2 * bus, 0);
    CallAdaptAudioSources(dev, kProgramMasterBase + bus, 0);
    // Every group names a program bus by number + 1 in its first byte.
    std::vector<std::uint8_t> groups;
    if (dev.GetData(stGroupLogic, groups)) {
        for (std::size_t g = 0; g < 4 && 2 * g < groups.size(); ++g) {
            std::uint8_t& named = groups[2 * g];
            if (named == bus + 1)
                named = 0;
            else if (named > bus + 1)
                --named;
        }
        dev.SetData(stGroupLogic, groups);
    }
}

void DeleteAuxBus(TDevice& dev, int aux)
{
    const int programs = HeaderByte(dev, dh::ProgramBusCount);
    const int auxCount = HeaderByte(dev, dh::AuxBusCount);
    if (dev.IsDummy() || aux < 0 || aux >= auxCount)
        return;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stBus);
    const std::size_t index = static_cast<std::size_t>(programs + aux);
    if (payload.size() < kBusRecordSize * (index + 1))
        return;
    EraseBytes(payload, kBusRecordSize * index, kBusRecordSize);
    if (!dev.SetData(stBus, payload))
        return;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::AuxBusCount, auxCount - 1);
    CallAdaptAudioSources(dev, kAuxBusSourceBase + 2 * aux, 0);
    CallAdaptAudioSources(dev, kAuxMasterBase + aux, 0);
}

int AddCleanFeed(TDevice& dev, int faderChannel)
{
    if (dev.IsDummy() || faderChannel < 0)
        return 0;
    if (HeaderByte(dev, dh::CleanFeedCount) >= kMaxCleanFeeds) {
        Host().ShowMessage("Too many Clean Feed channels!", "");
        return 0;
    }
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stCleanFeed);
    CutToWholeRecords(payload, kBusRecordSize);
    const TBusRecord record = NewBusRecord("CF " + GetFaderChannelName(dev, faderChannel), faderChannel);
    InsertBytes(payload, payload.size(), PackNew(record));
    if (!dev.SetData(stCleanFeed, payload))
        return 0;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::CleanFeedCount, static_cast<int>(payload.size() / kBusRecordSize));
    return 1;
}

int GetCleanFeed(const TDevice& dev, int index, TBusRecord& out)
{
    if (dev.IsDummy() || index < 0)
        return 0;
    const std::vector<std::uint8_t> payload = dev.GetData(stCleanFeed);
    if (payload.size() < kBusRecordSize * (static_cast<std::size_t>(index) + 1))
        return 0;
    out = DecodeBusRecord(std::span(payload).subspan(kBusRecordSize * index, kBusRecordSize));
    return 1;
}

void SetCleanFeed(TDevice& dev, int index, const TBusRecord& record)
{
    if (dev.IsDummy() || index < 0)
        return;
    std::vector<std::uint8_t> payload = dev.GetData(stCleanFeed);
    if (payload.size() < kBusRecordSize * (static_cast<std::size_t>(index) + 1))
        return;
    EncodeBusRecord(record, std::span(payload).subspan(kBusRecordSize * index, kBusRecordSize));
    if (!dev.SetData(stCleanFeed, payload))
        return;
    dev.FAudioSourcesChanged = true;
    const int count = static_cast<int>(payload.size() / kBusRecordSize);
    if (HeaderByte(dev, dh::CleanFeedCount) != count)
        SetHeaderCount(dev, dh::CleanFeedCount, count);
    if (!record.IsStereo())
        CallAdaptStereoSources(dev, kCleanFeedSourceBase + 2 * index);
}

void DeleteCleanFeedOfChannel(TDevice& dev, int faderChannel)
{
    if (dev.IsDummy() || faderChannel < 0)
        return;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stCleanFeed);
    for (std::size_t c = 0; c < WholeRecords(payload.size(), kBusRecordSize); ++c) {
        if (payload[kBusRecordSize * c + 19] != faderChannel)
            continue;
        EraseBytes(payload, kBusRecordSize * c, kBusRecordSize);
        CutToWholeRecords(payload, kBusRecordSize);
        if (!dev.SetData(stCleanFeed, payload))
            break;
        SetHeaderCount(dev, dh::CleanFeedCount, static_cast<int>(payload.size() / kBusRecordSize));
        const int i = static_cast<int>(c);
        CallAdaptAudioSources(dev, kCleanFeedSourceBase + 2 * i, 0);
        AdaptLogics(dev, kCFPrepLogicBase + i, 0, amDelete);
        AdaptLogics(dev, kCFTalkLogicBase + i, 0, amDelete);
        AdaptLogics(dev, kCFOffAirLogicBase + i, 0, amDelete);
        AdaptLogics(dev, kCFOutputSelectLogicBase + i, 0, amDelete);
        break;
    }
}

void FixCleanFeed(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    DeferredFitting deferred(dev);
    std::vector<int> flagged;
    const std::vector<std::uint8_t> channels = dev.GetData(stFCH);
    for (std::size_t i = 0; i < WholeRecords(channels.size(), kFaderChannelSize); ++i) {
        const int number = channels[i * kFaderChannelSize + 20];
        if (number >= 1 && number <= 149 && (channels[i * kFaderChannelSize + 18] & 0x10) != 0)
            flagged.push_back(number);
    }
    std::sort(flagged.begin(), flagged.end());
    if (dev.GetData(stCleanFeed).size() / kBusRecordSize == flagged.size())
        return;
    ShowError("CX4AppForm", "FixCleanFeed",
              "Cordex4 found an error in the Clean Feed data. There are " + std::to_string(flagged.size()) +
                  " channels which had set to be Clean Feed channels but data structure size does not match.\n\n"
                  "This will be fixed now.\nAll Clean Feeds will have default values.");
    dev.SetData(stCleanFeed, {});
    SetHeaderCount(dev, dh::CleanFeedCount, 0);
    for (const int number : flagged)
        AddCleanFeed(dev, number);
    Host().ShowMessage("The error in the project file was fixed.", "");
}

void SetChannelOption(TDevice& dev, const TChannelOption& entry)
{
    if (dev.IsDummy())
        return;
    const std::vector<std::uint8_t> payload = dev.GetData(stOutputRouting);
    std::vector<std::uint8_t> out;
    out.reserve(payload.size() + kOutputRoutingSize);
    for (std::size_t i = 0; i < WholeRecords(payload.size(), kOutputRoutingSize); ++i) {
        const auto record = std::span(payload).subspan(i * kOutputRoutingSize, kOutputRoutingSize);
        if ((readBE16(record, 0) & AudioSourceMask) != (entry.OutputID & AudioSourceMask))
            out.insert(out.end(), record.begin(), record.end());
    }
    if (entry.Source != 0 || (entry.Options & kKeepChannelOption) != 0) {
        ByteWriter w(out);
        w.be16(entry.OutputID);
        w.be16(entry.Source);
        w.u8(entry.MuteLogics);
        w.u8(0);
    }
    dev.SetData(stOutputRouting, out);
}

void GetChannelOption(const TDevice& dev, TChannelOption& entry)
{
    entry.Source = 0;
    entry.MuteLogics = 0;
    entry.Options = 0;
    if (dev.IsDummy())
        return;
    const std::vector<std::uint8_t> payload = dev.GetData(stOutputRouting);
    for (std::size_t i = 0; i < WholeRecords(payload.size(), kOutputRoutingSize); ++i) {
        const std::size_t at = i * kOutputRoutingSize;
        if (readBE16(payload, at) == entry.OutputID) {
            entry.Source = readBE16(payload, at + 2);
            entry.MuteLogics = payload[at + 4];
            entry.Options = payload[at + 5];
            return;
        }
    }
}

int GetChannelOptionByIndex(const TDevice& dev, int index, TChannelOption& out)
{
    if (dev.IsDummy() || index < 0)
        return 0;
    const std::vector<std::uint8_t> payload = dev.GetData(stOutputRouting);
    if (static_cast<std::size_t>(index) >= WholeRecords(payload.size(), kOutputRoutingSize))
        return 0;
    const std::size_t at = static_cast<std::size_t>(index) * kOutputRoutingSize;
    out.OutputID = readBE16(payload, at);
    out.Source = readBE16(payload, at + 2);
    out.MuteLogics = payload[at + 4];
    out.Options = payload[at + 5];
    return 1;
}

void SetChannelOptionByIndex(TDevice& dev, int index, const TChannelOption& entry)
{
    if (dev.IsDummy() || index < 0)
        return;
    std::vector<std::uint8_t> payload = dev.GetData(stOutputRouting);
    if (static_cast<std::size_t>(index) >= WholeRecords(payload.size(), kOutputRoutingSize))
        return;
    const std::size_t at = static_cast<std::size_t>(index) * kOutputRoutingSize;
    writeBE16(payload, at, entry.OutputID);
    writeBE16(payload, at + 2, entry.Source);
    payload[at + 4] = entry.MuteLogics;
    payload[at + 5] = entry.Options;
    dev.SetData(stOutputRouting, payload);
}

void SetMonitorBusSource(TDevice& dev, int index, TAudioRef source)
{
    if (dev.IsDummy() || index < 0 || index >= 12)
        return;
    std::vector<std::uint8_t> payload = dev.GetData(stMonitorBus);
    if (payload.size() < kMonitorSourcesSize)
        payload.resize(kMonitorSourcesSize, 0);
    writeBE16(payload, 2 * static_cast<std::size_t>(index), source);
    dev.SetData(stMonitorBus, payload);
}

TAudioRef GetMonitorBusSource(const TDevice& dev, int index)
{
    if (dev.IsDummy() || index < 0 || index >= 12)
        return 0;
    const std::vector<std::uint8_t> payload = dev.GetData(stMonitorBus);
    const std::size_t at = 2 * static_cast<std::size_t>(index);
    return payload.size() >= at + 2 ? readBE16(payload, at) : 0;
}

void CalcBusLimit(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    WriteBusCapacity(dev, std::min(BusCapacityOf(DSPCardVariants(dev)), 255));
}

int GetSOFLimit(const TDevice& dev) { return dev.IsDummy() ? 0 : SOFLimitOf(DSPCardVariants(dev)); }

} // namespace kvr::model
