#include "model/repairchain.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/platform.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/faderchannels.h"
#include "model/globalresources.h"
#include "model/inserts.h"
#include "model/keyfunctions.h"
#include "model/logicaccess.h"
#include "model/modelhost.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/potnames.h"
#include "model/project.h"
#include "model/recordsupport.h"
#include "model/sourcewalks.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

namespace kvr::model {

namespace {

constexpr int kCardSlots = 30;
constexpr std::size_t kPotiAssignSize = 4;

bool IsAnalogCard(int type) { return type == 122 || type == 123 || type == 222 || type == 223; }

// Fader channels that exist: numbers 1-149 (149 is as valid as any other).
bool IsChannelNumber(int number) { return number >= 1 && number <= kMaxFaderChannelNumber; }

struct ReservedKey {
    std::uint8_t Table;
    int TableType;
    int Key;
    std::vector<std::pair<std::size_t, std::uint8_t>> Fixed;
};

const std::array<ReservedKey, 3>& ReservedKeys()
{
    static const std::array<ReservedKey, 3> keys = {{
        {99, 23, 16, {{36, 1}, {37, 2}}},
        {96, 28, 8, {{36, 1}, {37, 2}, {38, 3}, {39, 4}}},
        {97, 29, 45, {{36, 20}}},
    }};
    return keys;
}

constexpr char kReservedLabel[] = "DONOTDELETE";

} // namespace

void FixPotiAssign(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    TKVRFI trace("TDevice::FixPotiAssign");
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stPotiAssign, payload))
        return;
    std::vector<std::uint8_t> kept;
    bool removed = false;
    for (std::size_t at = 0; at + kPotiAssignSize <= payload.size(); at += kPotiAssignSize) {
        const std::uint8_t input = payload[at + 3];
        if (input != 2 && input != 6) {
            removed = true;
            continue;
        }
        kept.insert(kept.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                    payload.begin() + static_cast<std::ptrdiff_t>(at + kPotiAssignSize));
    }
    if (removed)
        dev.SetData(stPotiAssign, kept);
}

void FixAnalogCardOptions(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    TKVRFI trace("TDevice::FixAnalogCardOptions");
    for (int slot = 0; slot < kCardSlots; ++slot) {
        std::vector<std::uint8_t> record;
        if (!dev.GetSetupData(static_cast<std::uint8_t>(slot), record))
            continue;
        CardChannels card;
        if (!CardChannelEntries(record, card) || !IsAnalogCard(card.cardType))
            continue;
        bool changed = false;
        for (std::size_t n = 0; n < card.count; ++n) {
            std::uint8_t& option = record[card.first + kChannelEntrySize * n + 18];
            changed |= option != 0;
            option = 0;
        }
        if (changed)
            dev.SetSetupData(static_cast<std::uint8_t>(slot), record);
    }
}

void FixDSPCardChannelCount(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    TKVRFI trace("TDevice::FixDSPCardChannelCount");
    for (int slot = 0; slot < kCardSlots; ++slot) {
        std::vector<std::uint8_t> record;
        if (!dev.GetSetupData(static_cast<std::uint8_t>(slot), record) || record.size() < 6)
            continue;
        if (CardTypeOf(record) != kCardDSP || record[5] > 1 || DSPChannelCount(record) == 0)
            continue;
        // Only the 9-bit count goes; the flag bits above it stay.
        writeLE16(record, 2, static_cast<std::uint16_t>(readLE16(record, 2) & ~0x1FF));
        InfoFormatter->Trace(0x2000, "Fixed ChannelCount DSP Slot #%d", slot);
        dev.SetSetupData(static_cast<std::uint8_t>(slot), record);
    }
}

int FixFaderChannelTimers(TDevice& dev)
{
    if (dev.Header()[dh::RepairMarks] & 0x01)
        return 0;
    int changed = 0;
    if (!dev.IsDummy()) {
        diag::WriteDebugOutput("Updating fader channels to FCH with timer logic");
        std::vector<std::uint8_t> payload;
        if (dev.GetData(stFCH, payload)) {
            for (std::size_t at = 0; at + kFaderChannelSize <= payload.size(); at += kFaderChannelSize) {
                const int number = payload[at + 20];
                if (!IsChannelNumber(number) || readBE16(payload, at + 26) != 0)
                    continue;
                writeBE16(payload, at + 26, static_cast<std::uint16_t>(kFaderStartChannelBase + number));
                ++changed;
            }
            if (changed > 0)
                dev.SetData(stFCH, payload);
        }
    }
    // The mark goes in directly, without a stamp, so the timer repair never runs twice on an image.
    dev.SetRepairMarks(0x01);
    return changed;
}

int FixFaderChannelLabels(TDevice& dev)
{
    if (dev.IsDummy())
        return 0;
    std::vector<std::uint8_t> labels;
    if (dev.GetData(stFCHLabels, labels)) {
        // A structure whose record size cannot be read (or is 0) is left alone.
        if (labels.size() < 2)
            return 0;
        const std::size_t size = readBE16(labels, 0);
        if (size >= kFaderChannelLabelSize || size == 0)
            return 0;
        std::vector<std::uint8_t> wide = {0, static_cast<std::uint8_t>(kFaderChannelLabelSize)};
        for (std::size_t at = 2; at + size <= labels.size(); at += size) {
            std::vector<std::uint8_t> record(kFaderChannelLabelSize, 0);
            std::copy_n(labels.begin() + static_cast<std::ptrdiff_t>(at), size, record.begin());
            wide.insert(wide.end(), record.begin(), record.end());
        }
        dev.SetData(stFCHLabels, wide);
        return 1;
    }
    const auto channels = dev.GetData(stFCH);
    std::vector<std::uint8_t> built = {0, static_cast<std::uint8_t>(kFaderChannelLabelSize)};
    for (int number = 1; number <= kMaxFaderChannelNumber; ++number) {
        const auto at = FindFaderChannel(channels, number);
        if (!at)
            continue;
        std::vector<std::uint8_t> record(kFaderChannelLabelSize, 0);
        record[0] = static_cast<std::uint8_t>(number);
        for (std::size_t i = 0; i < 4 && channels[*at + i] != 0; ++i)
            record[1 + i] = channels[*at + i];
        built.insert(built.end(), record.begin(), record.end());
    }
    dev.SetData(stFCHLabels, built);
    return 1;
}

void FixFaderChannelSources(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stFCH, payload))
        return;
    bool changed = false;
    for (std::size_t at = 0; at + kFaderChannelSize <= payload.size(); at += kFaderChannelSize) {
        const int number = payload[at + 20];
        if (!IsChannelNumber(number) || (payload[at + 18] & 0x20) == 0)
            continue;
        // A channel fed from its input pool takes its input from the pool source.
        const std::size_t field = readBE16(payload, at + 4) == 0x4900 + number ? at + 24 : at + 4;
        const std::uint16_t input = readBE16(payload, field);
        if ((input & 1) == 0)
            continue;
        writeBE16(payload, field, static_cast<std::uint16_t>(input & ~1));
        changed = true;
    }
    if (changed)
        dev.SetData(stFCH, payload);
}

void FixReservedKeyFunctions(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    for (const ReservedKey& reserved : ReservedKeys()) {
        std::vector<std::uint8_t> entry;
        dev.GetSetupData(reserved.Table, entry);
        TKeyRecord record{};
        record[0] = static_cast<std::uint8_t>(reserved.Key);
        if (const auto found = FindKeyRecord(entry, reserved.Key)) {
            record = *found;
            if (std::memcmp(record.data() + 1, kReservedLabel, sizeof kReservedLabel) == 0)
                continue;
        }
        std::fill(record.begin() + 1, record.begin() + 31, 0);
        std::memcpy(record.data() + 1, kReservedLabel, sizeof kReservedLabel);
        for (const auto& [at, value] : reserved.Fixed)
            record[at] = value;
        PutKeyRecord(entry, reserved.Key, record, reserved.TableType);
        dev.SetSetupData(reserved.Table, entry);
    }
}

void FixPoolNames(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    std::vector<std::uint8_t> payload;
    if (dev.GetData(stOldPoolNames, payload))
        dev.SetData(stOldPoolNames, {});
    if (!dev.GetData(stPoolNames, payload))
        return;
    bool changed = false;
    for (std::size_t i = 0; i < kPoolNameList.count(payload.size()); ++i) {
        const std::size_t at = kPoolNameList.offset(i);
        for (std::size_t b = 8; b <= 10; ++b) {
            changed |= payload[at + b] != 0;
            payload[at + b] = 0;
        }
    }
    if (changed)
        dev.SetData(stPoolNames, payload);
}

void CheckFixedProcessings(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    TKVRFI trace("TDevice::CheckFixedProcessings");
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stProc, payload))
        return;
    const std::size_t size = CalcFixedProcesSize(payload, HeaderByte(dev, dh::FixedProcCount));
    if (size == 0 || size == payload.size())
        return;
    payload.resize(size, 0);
    dev.SetData(stProc, payload);
}

void RunRepairPasses(TDevice& dev)
{
    FixCleanFeed(dev);
    FixPotiAssign(dev);
    FixAnalogCardOptions(dev);
    FixDSPCardChannelCount(dev);
    FixFaderChannelTimers(dev);
    FixFaderChannelLabels(dev);
    FixGroupLogic(dev);
    FixUserGroups(dev);
    FixGlobalResources(dev);
    FixLevelDetects(dev);
    FixSOF(dev);
    FixGlobalPoolLines(dev);
    FixFaderChannelSources(dev);
    FixReservedKeyFunctions(dev);
    FixPoolNames(dev);
    CheckFixedProcessings(dev);
}

void CheckLoadedImage(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    if (CountUnknownDSPFunctions(dev) > 0)
        Host().ShowMessage("This File uses DSP functions which are unknown to this version of CorDex!", "");
    CheckScriptSteps(dev);
}

void FixGLSources(TProject& project)
{
    std::array<bool, kGlobalLogicCount> sent{};
    for (int d = 0; d < project.DeviceCount(); ++d) {
        TDevice* dev = project.Device(d);
        if (dev == nullptr || dev->IsDummy())
            continue;
        const auto assigned = dev->GetData(stGLAssign);
        for (int logic = 0; logic < kGlobalLogicCount; ++logic) {
            if (ReadGLSource(assigned, logic) == 0)
                continue;
            if (sent[static_cast<std::size_t>(logic)])
                SetGLSource(*dev, logic, 0);
            sent[static_cast<std::size_t>(logic)] = true;
        }
    }
}

void RepairLoadedProject(TProject& project)
{
    FixGLSources(project);
    // Repairs of an image that was just read are no edit of the user's: a project just opened
    // does not ask to be saved.
    for (int d = 0; d < project.DeviceCount(); ++d)
        project.Device(d)->SetChangedFlag(false);
}

} // namespace kvr::model
