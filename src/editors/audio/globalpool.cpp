// Global pool lines and their reservations.

#include "editors/audio/globalpool.h"

#include <algorithm>

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/keyfunctions.h"
#include "model/keyrecords.h"
#include "model/keyrecordview.h"
#include "model/linkaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/smallrecordaccess.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {
constexpr std::uint8_t kMonitorFlag = 0x01;
constexpr std::uint8_t kSelectorFlag = 0x02;
constexpr std::uint16_t kPoolMark = 0x8000;
constexpr std::uint16_t kStereoChannel = 0x2000;
constexpr std::uint16_t kRightHalf = 0x40;

int CodeOf(const TGlobalPoolLine& line)
{
    return line.Flags << 8 | line.Reserve;
}

std::string ChannelText(const TDevice& dev, std::uint16_t channel)
{
    return GetChannelName(channel, GetCardTypeOfChannel(dev, channel), false);
}

// A line other than Line uses the local input or the remote output.
bool OtherLineUses(const TGlobalPoolRecord& pool, int Line, std::uint16_t local, std::uint16_t remote)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    for (int i = 0; i < count; ++i) {
        const TGlobalPoolLine& l = pool.Lines[static_cast<std::size_t>(i)];
        if (i != Line && (l.LocalInput == local || l.RemoteOutput == remote))
            return true;
    }
    return false;
}
} // namespace

GlobalPoolEditor::GlobalPoolEditor(TProject& Project, int Device)
    : FProject(Project), FDeviceIndex(Device), FDev(*Project.Device(Device))
{
}

TGlobalPoolRecord GlobalPoolEditor::Pool() const
{
    TGlobalPoolRecord pool;
    InitGlobalPoolLine(pool);
    GetGlobalPoolLines(FDev, pool);
    return pool;
}

int GlobalPoolEditor::SourceDeviceIndex() const
{
    const TGlobalPoolRecord pool = Pool();
    return pool.SourceDevice == 0 ? -1 : FProject.IndexOfDevice(pool.SourceDevice);
}

std::vector<PoolDeviceItem> GlobalPoolEditor::SourceDevices(int& Selected) const
{
    const TGlobalPoolRecord pool = Pool();
    std::vector<PoolDeviceItem> items{{"None", 0}};
    Selected = 0;
    for (int i = 0; i < FProject.DeviceCount(); ++i) {
        const TDevice* dev = FProject.Device(i);
        if (i == FDeviceIndex || !dev || dev->IsDummy())
            continue;
        if (dev->GetDeviceID() == pool.SourceDevice && pool.SourceDevice != 0)
            Selected = static_cast<int>(items.size());
        items.push_back({dev->GetName(), dev->GetDeviceID()});
    }
    return items;
}

bool GlobalPoolEditor::MayChangeSourceDevice() const
{
    return Pool().Count == 0;
}

bool GlobalPoolEditor::MayAddLine() const
{
    const TGlobalPoolRecord pool = Pool();
    return pool.SourceDevice != 0 && pool.Count < kMaxPoolLines;
}

const std::vector<ReserveOption>& GlobalPoolEditor::ReserveOptions()
{
    static const std::vector<ReserveOption> options = [] {
        std::vector<ReserveOption> out{{"None", 0}};
        for (int k = 1; k <= 6; ++k)
            out.push_back({"Monitor " + std::to_string(k), 0x100 + k});
        for (int j = 1; j <= 15; ++j)
            out.push_back({"Rotary Selector " + std::to_string(j), 0x200 + 16 * j});
        for (int k = 1; k <= 6; ++k)
            out.push_back({"Monitor " + std::to_string(k) + " + Rotary Selector " + std::to_string(k), 0x300 + 17 * k});
        return out;
    }();
    return options;
}

int GlobalPoolEditor::ReserveItem(int Code)
{
    const auto& options = ReserveOptions();
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i].Code == Code)
            return static_cast<int>(i);
    return 0;
}

std::vector<PoolLineRow> GlobalPoolEditor::Lines() const
{
    std::vector<PoolLineRow> rows;
    const int source = SourceDeviceIndex();
    if (source < 0)
        return rows;
    const TDevice& sourceDev = *FProject.Device(source);
    const TGlobalPoolRecord pool = Pool();
    for (int p = 0; p < std::min<int>(pool.Count, kMaxPoolLines); ++p) {
        const TGlobalPoolLine& line = pool.Lines[static_cast<std::size_t>(p)];
        PoolLineRow row;
        row.Number = std::to_string(p + 1);
        row.Line = GetPoolSourceName(FProject, line.LocalInput, FDeviceIndex);
        row.LocalInput = ChannelText(FDev, line.LocalInput);
        row.RemoteOutput = ChannelText(sourceDev, line.RemoteOutput);
        row.Code = CodeOf(line);
        if (line.Flags != 0)
            for (const ReserveOption& option : ReserveOptions())
                if (option.Code == row.Code && option.Code != 0)
                    row.ReservedFor = option.Text;
        rows.push_back(row);
    }
    return rows;
}

std::vector<PoolInputItem> GlobalPoolEditor::Inputs(int Line, int& Selected) const
{
    Selected = 0;
    std::vector<PoolInputItem> items;
    const int source = SourceDeviceIndex();
    const TGlobalPoolRecord pool = Pool();
    if (source < 0 || Line < 0 || Line >= std::min<int>(pool.Count, kMaxPoolLines))
        return items;
    const TGlobalPoolLine& own = pool.Lines[static_cast<std::size_t>(Line)];
    items.push_back({"None", 0});
    for (int id = 0; id < kMaxDeviceLinks; ++id) {
        TDeviceLink link;
        if (GetDeviceLink(FProject, id, link) != 1 || link.SDev != source || link.TDev != FDeviceIndex)
            continue;
        if (link.Type == 1) {
            const std::uint16_t local = link.TPort;
            const std::uint16_t remote = link.SPort;
            if (local != own.LocalInput && (PoolUsesLocalInput(pool, local) || PoolUsesRemoteOutput(pool, remote)))
                continue;
            items.push_back({GetPoolSourceName(FProject, local, FDeviceIndex), std::uint32_t(local) << 16 | remote});
        } else if (link.Type == 2) {
            TCardRecord card;
            if (!GetCardRecord(FDev, link.TSlot, card))
                continue;
            for (const TChannelEntry& entry : card.Channels) {
                const std::uint16_t c = entry.ID;
                if ((c & 0x80) != 0 || (c & kStereoChannel) == 0)
                    continue;
                if ((link.TPort == 1 && (c & kRightHalf) == 0) || (link.TPort == 0 && (c & kRightHalf) != 0))
                    continue;
                std::uint16_t remote = static_cast<std::uint16_t>((c & 0x3F) | ((link.SSlot + 1) << 8) | 0x2080);
                if (link.SPort == 1)
                    remote = static_cast<std::uint16_t>(remote + kRightHalf);
                // The computed remote output is what another line may already take.
                if (OtherLineUses(pool, Line, c, remote))
                    continue;
                items.push_back({GetPoolSourceName(FProject, c, FDeviceIndex), std::uint32_t(c) << 16 | remote});
            }
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        if ((items[i].Value & 0xFFFF) == own.RemoteOutput) {
            Selected = static_cast<int>(i);
            break;
        }
    return items;
}

bool GlobalPoolEditor::SetSourceDevice(std::uint32_t DeviceID)
{
    TGlobalPoolRecord pool = Pool();
    if (pool.Count != 0)
        return false;
    pool.SourceDevice = DeviceID;
    SetGlobalPoolLines(FDev, pool);
    return true;
}

int GlobalPoolEditor::AddLine()
{
    TGlobalPoolRecord pool = Pool();
    if (pool.SourceDevice == 0 || pool.Count >= kMaxPoolLines)
        return -1;
    AddPoolLine(pool);
    SetGlobalPoolLines(FDev, pool);
    return pool.Count - 1;
}

bool GlobalPoolEditor::RemoveLine(int Line)
{
    TGlobalPoolRecord pool = Pool();
    if (Line < 0 || Line >= pool.Count)
        return false;
    DeletePoolLine(pool, Line);
    SetGlobalPoolLines(FDev, pool);
    return true;
}

bool GlobalPoolEditor::SetInput(int Line, std::uint32_t Value)
{
    TGlobalPoolRecord pool = Pool();
    if (SourceDeviceIndex() < 0 || Line < 0 || Line >= pool.Count)
        return false;
    TGlobalPoolLine& line = pool.Lines[static_cast<std::size_t>(Line)];
    line.LocalInput = static_cast<std::uint16_t>(Value >> 16);
    line.RemoteOutput = static_cast<std::uint16_t>(Value & 0xFFFF);
    SetGlobalPoolLines(FDev, pool);
    return true;
}

bool GlobalPoolEditor::SetReserve(int Line, int Code)
{
    TGlobalPoolRecord pool = Pool();
    if (SourceDeviceIndex() < 0 || Line < 0 || Line >= pool.Count)
        return false;
    TGlobalPoolLine& line = pool.Lines[static_cast<std::size_t>(Line)];
    if ((line.Flags & kMonitorFlag) != 0) {
        const int k = line.Reserve & 0x0F;
        if (k >= 1 && k <= 6) {
            SetMonitorBusSource(FDev, 2 * (k - 1), 0);
            SetMonitorBusSource(FDev, 2 * (k - 1) + 1, 0);
        }
        ForEachModuleSlot([this, k](std::uint8_t slot) {
            UpdateUnsharedKeyRecords(FDev, slot, [k](std::span<std::uint8_t> record) {
                KeyRecordView key(record.first<kKeyRecordSize>());
                if (key.Text().empty() || key.Function() != 1 || key.Byte(kf::Param1) != k)
                    return false;
                key.Options() &= 0xFE;
                for (const std::size_t at : {kf::Param2, kf::Param3})
                    if ((key.Source(at) & kPoolMark) != 0)
                        key.SetSource(at, 0);
                return true;
            });
        });
    }
    if ((line.Flags & kSelectorFlag) != 0) {
        // The selector's own source list loses its pool sources.
        const int selector = (line.Reserve >> 4) - 1;
        const int list = selector >= 0 ? GetRotSelSourceList(FDev, selector) : -1;
        TSourceList record;
        if (list >= 0 && GetSourceList(FDev, list, record) == 1) {
            bool changed = false;
            for (int e = 0; e < record.Count && e < static_cast<int>(record.Entries.size()); ++e)
                for (std::uint16_t* word : {&record.Entries[static_cast<std::size_t>(e)].Left,
                                            &record.Entries[static_cast<std::size_t>(e)].Right})
                    if ((*word & kPoolMark) != 0) {
                        *word = 0;
                        changed = true;
                    }
            if (changed)
                SetSourceList(FDev, list, record);
        }
    }
    line.Flags = static_cast<std::uint8_t>(Code >> 8);
    line.Reserve = static_cast<std::uint8_t>(Code & 0xFF);
    SetGlobalPoolLines(FDev, pool);
    return true;
}

} // namespace kvr::editors
