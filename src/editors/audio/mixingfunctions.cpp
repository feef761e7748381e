// Summing buses and clean feeds of the Mixing Functions tab.

#include "editors/audio/mixingfunctions.h"

#include <algorithm>

#include "editors/common/sourceassign.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/faderaccess.h"
#include "model/inserts.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {
constexpr int kOfferedLists = 10;
constexpr int kRotarySelectors = 30;
constexpr std::uint8_t kStereo = 0x80;
constexpr std::uint8_t kLimiter = 0x40;
constexpr std::uint8_t kCFOutDisabled = 0x20;
constexpr std::uint32_t kSummingBusLimit = 0x01;

void SetFlag(TBusRecord& record, std::uint8_t flag, bool on)
{
    record.Flags = static_cast<std::uint8_t>(on ? record.Flags | flag : record.Flags & ~flag);
}
} // namespace

MixingFunctionsTab::MixingFunctionsTab(TProject& Project, int Device)
    : FProject(Project), FDeviceIndex(Device), FDev(*Project.Device(Device))
{
}

MixingHeader MixingFunctionsTab::Header() const
{
    const auto header = FDev.GetHeader();
    MixingHeader out;
    out.ProgramBuses = header[dh::ProgramBusCount];
    out.AuxBuses = header[dh::AuxBusCount];
    out.TalkAttenuation = header[dh::TalkAttenuation];
    out.Talk1Source = readBE16(header, dh::Talk1Source);
    out.Talk2Source = readBE16(header, dh::Talk2Source);
    out.Talk1Name = GetAudioSourceName(FProject, out.Talk1Source, FDeviceIndex, false);
    out.Talk2Name = GetAudioSourceName(FProject, out.Talk2Source, FDeviceIndex, false);
    return out;
}

int MixingFunctionsTab::BusRecordCount()
{
    int count = 0;
    TBusRecord record;
    while (GetBus(FDev, count, record) == 1)
        ++count;
    return count;
}

std::vector<OutputSelectorItem> MixingFunctionsTab::OutputSelectorItems()
{
    TGlobalPoolRecord pool;
    GetGlobalPoolLines(FDev, pool);
    std::vector<OutputSelectorItem> items{{"None", 0}};
    for (int list = 0; list < kOfferedLists; ++list) {
        // The first selector that uses the list decides whether a pool line feeds it.
        bool pooled = false;
        for (int selector = 0; selector < kRotarySelectors; ++selector)
            if (GetRotSelSourceList(FDev, selector) == list) {
                pooled = IsRotarySelectorOnGlobalPool(pool, selector);
                break;
            }
        if (pooled)
            continue;
        TSourceList record;
        GetSourceList(FDev, list, record);
        items.push_back({LabelText(record.Label), list + 1});
    }
    return items;
}

int MixingFunctionsTab::ItemOfValue(const std::vector<OutputSelectorItem>& Items, int Value)
{
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Value == Value)
            return static_cast<int>(i);
    return -1;
}

std::vector<MixingRow> MixingFunctionsTab::Rows()
{
    const MixingHeader header = Header();
    std::vector<MixingRow> rows;
    TBusRecord record;
    for (int k = 0; GetBus(FDev, k, record) == 1; ++k) {
        MixingRow row;
        row.Caption = LabelText(record.Label);
        row.Talk1 = GetLogicSourceName(FProject, record.Logic1, FDeviceIndex);
        row.Talk2 = GetLogicSourceName(FProject, record.Logic2, FDeviceIndex);
        row.Source = k < header.ProgramBuses ? "Program " + std::to_string(k + 1)
                                             : "Aux " + std::to_string(k - header.ProgramBuses + 1);
        rows.push_back(row);
    }
    const auto items = OutputSelectorItems();
    const int cleanFeeds = FDev.GetHeader()[dh::CleanFeedCount];
    for (int i = 0; i < cleanFeeds; ++i) {
        if (GetCleanFeed(FDev, i, record) != 1)
            break;
        MixingRow row;
        row.CleanFeed = i;
        row.FaderChannel = record.FaderChannel;
        row.Caption = LabelText(record.Label);
        row.Talk1 = GetLogicSourceName(FProject, record.Logic1, FDeviceIndex);
        row.Talk2 = GetLogicSourceName(FProject, record.Logic2, FDeviceIndex);
        TFaderChannel channel;
        GetFaderChannel(FDev, record.FaderChannel, channel);
        row.Source = GetAudioSourceName(FProject, channel.Source, FDeviceIndex, false);
        if (record.SourceList != 0) {
            const int item = ItemOfValue(items, record.SourceList);
            if (item >= 0)
                row.OutputSelector = items[static_cast<std::size_t>(item)].Text;
        }
        rows.push_back(row);
    }
    return rows;
}

int MixingFunctionsTab::CleanFeedOfRow(int Row)
{
    if (Row < 0)
        return -1;
    const int buses = BusRecordCount();
    const int cleanFeeds = FDev.GetHeader()[dh::CleanFeedCount];
    return Row >= buses && Row - buses < cleanFeeds ? Row - buses : -1;
}

bool MixingFunctionsTab::IsCleanFeedRow(int Row)
{
    return CleanFeedOfRow(Row) >= 0;
}

bool MixingFunctionsTab::Record(int Row, TBusRecord& Out)
{
    if (Row < 0)
        return false;
    const int cleanFeed = CleanFeedOfRow(Row);
    if (cleanFeed >= 0)
        return GetCleanFeed(FDev, cleanFeed, Out) == 1;
    return GetBus(FDev, Row, Out) == 1;
}

bool MixingFunctionsTab::Store(int Row, const TBusRecord& Record)
{
    const int cleanFeed = CleanFeedOfRow(Row);
    if (cleanFeed >= 0)
        SetCleanFeed(FDev, cleanFeed, Record);
    else
        SetBus(FDev, Row, Record);
    return true;
}

bool MixingFunctionsTab::SetLabel(int Row, const std::string& Text)
{
    TBusRecord record;
    if (!Record(Row, record))
        return false;
    model::SetLabel(record.Label, Text.substr(0, record.Label.size()));
    return Store(Row, record);
}

bool MixingFunctionsTab::SetStereo(int Row, bool On)
{
    TBusRecord record;
    if (!Record(Row, record))
        return false;
    SetFlag(record, kStereo, On);
    return Store(Row, record);
}

bool MixingFunctionsTab::SetLimiter(int Row, bool On)
{
    TBusRecord record;
    if (!Record(Row, record))
        return false;
    SetFlag(record, kLimiter, On);
    return Store(Row, record);
}

bool MixingFunctionsTab::SetThreshold(int Row, int Position)
{
    TBusRecord record;
    if (!Record(Row, record))
        return false;
    record.LimiterThreshold = static_cast<std::uint8_t>(std::clamp(Position, 0, 50));
    return Store(Row, record);
}

bool MixingFunctionsTab::SetRelease(int Row, int Position)
{
    TBusRecord record;
    if (!Record(Row, record))
        return false;
    record.LimiterRelease = static_cast<std::uint8_t>(std::clamp(Position, 3, 20));
    return Store(Row, record);
}

bool MixingFunctionsTab::SetOutputSelector(int Row, int Value)
{
    TBusRecord record;
    if (!IsCleanFeedRow(Row) || !Record(Row, record) || Value < 0 || Value > kOfferedLists)
        return false;
    record.SourceList = static_cast<std::uint8_t>(Value);
    return Store(Row, record);
}

bool MixingFunctionsTab::SetCFOutDisabled(int Row, bool On)
{
    TBusRecord record;
    if (!IsCleanFeedRow(Row) || !Record(Row, record))
        return false;
    SetFlag(record, kCFOutDisabled, On);
    return Store(Row, record);
}

void MixingFunctionsTab::SetTalkAttenuation(int Position)
{
    auto header = FDev.GetHeader();
    header[dh::TalkAttenuation] = static_cast<std::uint8_t>(std::clamp(Position, 0, 100));
    FDev.SetHeader(header, true);
}

void MixingFunctionsTab::SetBusCount(std::size_t HeaderByte, int Count)
{
    const bool program = HeaderByte == dh::ProgramBusCount;
    for (;;) {
        const auto header = FDev.GetHeader();
        const int count = header[HeaderByte];
        if (count > Count) {
            if (program)
                DeleteProgramBus(FDev, count - 1);
            else
                DeleteAuxBus(FDev, count - 1);
        } else if (count < Count && header[dh::BusCapacity] != 0) {
            if (program)
                AddProgramBus(FDev);
            else
                AddAuxBus(FDev);
        } else {
            return;
        }
        // A step the data model refused ends the loop.
        if (FDev.GetHeader()[HeaderByte] == count)
            return;
    }
}

void MixingFunctionsTab::SetProgramBuses(int Count)
{
    SetBusCount(dh::ProgramBusCount, Count);
}

void MixingFunctionsTab::SetAuxBuses(int Count)
{
    SetBusCount(dh::AuxBusCount, Count);
}

bool MixingFunctionsTab::MayRaiseBusCount() const
{
    return (GetLimitExceeded(FDev) & kSummingBusLimit) == 0;
}

bool MixingFunctionsTab::DeleteCleanFeed(int Row)
{
    TBusRecord record;
    const int cleanFeed = CleanFeedOfRow(Row);
    if (cleanFeed < 0 || GetCleanFeed(FDev, cleanFeed, record) != 1)
        return false;
    const int number = record.FaderChannel;
    DeleteCleanFeedOfChannel(FDev, number);
    // The delete adapts references in the channel too: read it again before clearing its flag.
    TFaderChannel channel;
    if (GetFaderChannel(FDev, number, channel) == 1) {
        channel.PoolFlags = static_cast<std::uint8_t>(channel.PoolFlags & ~kFCHCleanFeed);
        SetFaderChannel(FDev, number, channel);
    }
    FixCleanFeed(FDev);
    return true;
}

TargetSelection MixingFunctionsTab::ConditionSelection(int Row)
{
    TargetSelection sel;
    TBusRecord record;
    if (!Record(Row, record))
        return sel;
    sel.Element = Row;
    sel.Extra = CleanFeedOfRow(Row);
    return sel;
}

int MixingFunctionsTab::ConditionKindOfColumn(int Column)
{
    return Column == 1 ? ltTalkCondition1 : Column == 2 ? ltTalkCondition2 : 0;
}

std::string MixingFunctionsTab::ThresholdText(int Position)
{
    return std::to_string(Position - 30) + " dBint";
}

std::string MixingFunctionsTab::ReleaseText(int Position)
{
    return std::to_string(Position) + " dB/s";
}

std::string MixingFunctionsTab::AttenuationText(int Position)
{
    return Position == 0 ? "Off" : std::to_string(Position - 100) + " dB";
}

} // namespace kvr::editors
