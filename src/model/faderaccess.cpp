#include "model/dspfitdevice.h"
#include "model/faderaccess.h"

#include "model/cardrecords.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/keyrecords.h"
#include "model/recordhooks.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"

#include <algorithm>

namespace kvr::model {

namespace {

constexpr std::size_t kGroupLogicGroups = 4;

bool IsFaderModule(int type) { return type == 20 || type == 21 || type == 29; }
bool IsFaderOverbridge(int type) { return type == 23 || type == 28; }

void SetBothFlags(TDevice& device)
{
    device.FLogicSourcesChanged = true;
    device.FAudioSourcesChanged = true;
}

void ChangeFaderChannelCount(TDevice& device, int delta)
{
    const int count = device.Header()[dh::FaderChannelCount] + delta;
    device.WriteHeaderCount(dh::FaderChannelCount, static_cast<std::uint8_t>(std::clamp(count, 0, 255)));
}

void RemoveOldPoolNames(TDevice& device)
{
    std::vector<std::uint8_t> old;
    if (device.GetData(stOldPoolNames, old))
        device.SetData(stOldPoolNames, {});
}

std::vector<RecordSpan> FaderChannelSpans(std::size_t payloadSize)
{
    std::vector<RecordSpan> spans;
    for (std::size_t i = 0; i < kFaderChannelList.count(payloadSize); ++i)
        spans.push_back({kFaderChannelList.offset(i), kFaderChannelSize});
    return spans;
}

void StoreNewLabel(TDevice& device, int number)
{
    TFaderChannelLabel label;
    label.Number = static_cast<std::uint8_t>(number);
    SetLabel(label.Label, "New");
    SetFaderChannelLabel(device, number, label);
}

// A key record that selects fader channel N (byte 36), by the module's kind of keys.
bool KeySelectsChannel(const TKeyRecord& r, int moduleType, int number)
{
    if (r[36] != number)
        return false;
    if (SharedKeyTableOf(moduleType))
        return r[31] == 31;
    return r[31] == 15 && r[32] == 31;
}

void RedirectChannelKeys(TDevice& device, int number, int replacement)
{
    ForEachModuleSlot([&](std::uint8_t slot) {
        std::vector<std::uint8_t> entry;
        if (!device.GetSetupData(slot, entry))
            return;
        const int type = ModuleType(entry);
        int last = ModuleKeyCount(type) + (type == 13 ? 5 : 0);
        if (const auto table = SharedKeyTableOf(type))
            last = std::max(last, table->ReservedKey);
        for (int key = 0; key <= last; ++key) {
            TKeyRecord r;
            const int own = GetKeyFunction(device, key, r, slot);
            if (!KeySelectsChannel(r, type, number))
                continue;
            r[36] = static_cast<std::uint8_t>(replacement);
            SetKeyFunction(device, key, r, own, slot);
        }
    });
}

} // namespace

int GetFreeFaderChannelNumber(TDevice& device)
{
    if (device.IsDummy())
        return kNoFaderChannelNumber;
    return FreeFaderChannelNumber(device.GetData(stFCH));
}

int AddFaderChannel(TDevice& device)
{
    if (device.IsDummy())
        return 0;
    auto payload = device.GetData(stFCH);
    const int number = FreeFaderChannelNumber(payload);
    if (number == kNoFaderChannelNumber)
        return kNoFaderChannelNumber;
    const auto record = EncodeFaderChannel(NewFaderChannel(number, !device.GetData(stPoolNames).empty()));
    InsertBytes(payload, kFaderChannelList.end(payload.size()), record);
    if (!device.SetData(stFCH, payload))
        return kNoFaderChannelNumber; // refused by the size limit: nothing was added
    ChangeFaderChannelCount(device, +1);
    StoreNewLabel(device, number);
    SetBothFlags(device);
    return number;
}

void InsertFaderChannel(TDevice& device, int position)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stFCH);
    const int number = FreeFaderChannelNumber(payload);
    if (number == kNoFaderChannelNumber)
        return;
    const auto record = EncodeFaderChannel(NewFaderChannel(number, !device.GetData(stPoolNames).empty()));
    StoreNewLabel(device, number);
    if (position < 0 || static_cast<std::size_t>(position) >= kFaderChannelList.count(payload.size())) {
        AddFaderChannel(device);
        return;
    }
    InsertBytes(payload, kFaderChannelList.offset(static_cast<std::size_t>(position)), record);
    payload.resize(kFaderChannelList.end(payload.size()));
    SetBothFlags(device);
    if (device.SetData(stFCH, payload))
        ChangeFaderChannelCount(device, +1);
}

int GetFaderChannel(TDevice& device, int number, TFaderChannel& out)
{
    if (!device.IsDummy()) {
        const auto payload = device.GetData(stFCH);
        if (const auto at = FindFaderChannel(payload, number)) {
            out = DecodeFaderChannel(std::span(payload).subspan(*at, kFaderChannelSize));
            return 1;
        }
    }
    out.Number = 0;
    return 0;
}

int GetFaderChannelByIndex(TDevice& device, int position, TFaderChannel& out)
{
    if (!device.IsDummy() && position >= 0) {
        const auto payload = device.GetData(stFCH);
        if (static_cast<std::size_t>(position) < kFaderChannelList.count(payload.size())) {
            out = DecodeFaderChannel(std::span(payload).subspan(
                kFaderChannelList.offset(static_cast<std::size_t>(position)), kFaderChannelSize));
            return 1;
        }
    }
    out.Number = 0;
    return 0;
}

void SetFaderChannel(TDevice& device, int number, const TFaderChannel& record)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stFCH);
    const auto at = FindFaderChannel(payload, number);
    if (!at)
        return;
    const auto bytes = EncodeFaderChannel(record);
    std::copy(bytes.begin(), bytes.end(), payload.begin() + static_cast<std::ptrdiff_t>(*at));
    device.SetData(stFCH, payload);
    SetBothFlags(device);
}

void DeleteFaderChannel(TDevice& device, int number)
{
    if (device.IsDummy())
        return;
    // The cascade touches many records; the fitting runs once, when it is done.
    FittingAtEnd fitting(device);
    // Group logic: every group tied to the channel lets go of it.
    std::vector<std::uint8_t> groups;
    if (device.GetData(stGroupLogic, groups)) {
        for (std::size_t g = 0; g < kGroupLogicGroups && 2 * g + 1 < groups.size(); ++g)
            if (groups[2 * g + 1] == number)
                groups[2 * g + 1] = 0;
        device.SetData(stGroupLogic, groups);
    }

    auto payload = device.GetData(stFCH);
    if (const auto at = FindFaderChannel(payload, number)) {
        const bool cleanFeed = (payload[*at + 18] & kFCHCleanFeed) != 0;
        EraseBytes(payload, *at, kFaderChannelSize);
        SetBothFlags(device);
        if (device.SetData(stFCH, payload))
            ChangeFaderChannelCount(device, -1);
        if (cleanFeed)
            DeleteCleanFeed(device, number);
        AdaptLogics(device, kFaderStartChannelBase + number, 0, amDelete);
        AdaptLogics(device, kFaderFunctionChannelBase + number, 0, amDelete);
        AdaptLogics(device, kPFLChannelBase + number, 0, amDelete);
        if (number >= 1 && number <= 40)
            AdaptLogics(device, kTalkbackChannelBase + number, 0, amDelete);
    }

    SetFaderChannelLabel(device, number, TFaderChannelLabel{});

    const int faders = device.Header()[dh::FaderCount];
    for (int f = 0; f < faders; ++f) {
        TFader fader;
        if (GetFader(device, f, fader) == 0 || fader.FaderChannel != number)
            continue;
        fader.FaderChannel = 0xFF;
        fader.GlobalPot = 0;
        fader.Count = 0;
        SetFader(device, f, fader);
    }

    const auto remaining = device.GetData(stFCH);
    const int first = kFaderChannelList.count(remaining.size()) > 0 ? remaining[20] : 0;
    RedirectChannelKeys(device, number, first);
}

void MoveFaderChannel(TDevice& device, int from, int to)
{
    if (device.IsDummy() || from < 0 || to < 0)
        return;
    auto payload = device.GetData(stFCH);
    const auto spans = FaderChannelSpans(payload.size());
    if (static_cast<std::size_t>(from) >= spans.size() || static_cast<std::size_t>(to) >= spans.size())
        return;
    MoveRecord(payload, spans, static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    device.FAudioSourcesChanged = true;
    device.SetData(stFCH, payload);
}

int GetFader(TDevice& device, int fader, TFader& out)
{
    if (!device.IsDummy()) {
        if (const auto f = FindFader(device.GetData(stChannelAssign), fader)) {
            out = *f;
            return 1;
        }
    }
    out = TFader{};
    out.Fader = static_cast<std::uint8_t>(fader);
    return 0;
}

void SetFader(TDevice& device, int fader, const TFader& record)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stChannelAssign);
    PutFader(payload, fader, record);
    device.SetData(stChannelAssign, payload);
    device.CheckDSPResources(device.FFitOptions);
}

void MoveFaderFunction(TDevice& device, int fader, int from, int to)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stChannelAssign);
    if (MoveChainEntry(payload, fader, from, to))
        device.SetData(stChannelAssign, payload);
}

void SetPoolName(TDevice& device, int pool, std::string_view name)
{
    if (device.IsDummy())
        return;
    RemoveOldPoolNames(device);
    if (pool < 0 || pool >= kPoolCount)
        return;
    auto payload = device.GetData(stPoolNames);
    const bool removed = PutPoolName(payload, pool, name);
    device.SetData(stPoolNames, payload);
    if (!removed)
        return;
    // Channels of the removed pool lose their pool; the flag bits stay.
    const int nibble = (pool & 15) + 1;
    for (int n = 1; n <= kMaxFaderChannelNumber; ++n) {
        TFaderChannel c;
        if (GetFaderChannel(device, n, c) == 0 || (c.PoolFlags & kFCHPoolMask) != nibble)
            continue;
        c.PoolFlags = static_cast<std::uint8_t>(c.PoolFlags & ~kFCHPoolMask);
        SetFaderChannel(device, n, c);
    }
}

int GetPoolName(TDevice& device, int pool, std::string& out)
{
    out.clear();
    if (device.IsDummy())
        return 0;
    RemoveOldPoolNames(device);
    const auto payload = device.GetData(stPoolNames);
    const auto at = FindPoolName(payload, pool);
    if (!at)
        return 0;
    out = FieldText(std::span(payload).subspan(*at + 1, 7));
    return 1;
}

int GetPoolNameStr(TDevice& device, int pool, std::string& out)
{
    out.clear();
    if (device.IsDummy())
        return 0;
    RemoveOldPoolNames(device);
    const auto payload = device.GetData(stPoolNames);
    const auto at = FindPoolName(payload, pool);
    if (!at)
        return 0;
    out.assign(reinterpret_cast<const char*>(payload.data() + *at + 1), 10);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\0'))
        out.pop_back();
    return 1;
}

void RemoveFaderModule(TDevice& device, int moduleSlot)
{
    if (moduleSlot < 0 || moduleSlot > 255)
        return;
    const auto slot = static_cast<std::uint8_t>(moduleSlot);
    const auto entry = device.GetSetupData(slot);
    if (IsFaderModule(ModuleType(entry)) && moduleSlot + 10 <= 255) {
        const auto above = static_cast<std::uint8_t>(moduleSlot + 10);
        std::vector<std::uint8_t> bridge;
        if (device.GetSetupData(above, bridge) && IsFaderOverbridge(ModuleType(bridge)))
            device.SetSetupData(above, {});
    }
    device.SetSetupData(slot, {});
    RenumberFaderModules(device);
    TrimFixedInserts(device);
    SetBothFlags(device);
}

void RenumberFaderModules(TDevice& device)
{
    int k = 0;
    for (int console = 0; console < 6; ++console) {
        for (int position = 0; position < 9; ++position) {
            const auto slot = static_cast<std::uint8_t>(100 + 20 * console + position);
            auto entry = device.GetSetupData(slot);
            if (!IsFaderModule(ModuleType(entry)))
                continue;
            // Entries are written only when their number changes, so an unchanged console
            // does not stamp the device.
            if (entry.size() > 4 && entry[4] != k) {
                entry[4] = static_cast<std::uint8_t>(k);
                device.SetSetupData(slot, entry);
            }
            auto bridge = device.GetSetupData(static_cast<std::uint8_t>(slot + 10));
            if (bridge.size() > 4 && IsFaderOverbridge(ModuleType(bridge)) && bridge[4] != k) {
                bridge[4] = static_cast<std::uint8_t>(k);
                device.SetSetupData(static_cast<std::uint8_t>(slot + 10), bridge);
            }
            ++k;
        }
    }
    device.WriteHeaderCount(dh::FaderCount, static_cast<std::uint8_t>(std::min(4 * k, 255)));
}

namespace {

// The name of a channel record given the channel and label lists.
std::string ChannelDisplayName(std::span<const std::uint8_t> channels, std::span<const std::uint8_t> labels, int number)
{
    const auto at = FindFaderChannel(channels, number);
    if (!at)
        return {};
    TFaderChannelLabel label;
    std::string name = FindFaderChannelLabel(labels, number, label)
                           ? LabelText(label.Label)
                           : LabelText(DecodeFaderChannel(channels.subspan(*at, kFaderChannelSize)).ShortName);
    if (name.size() > 16)
        name.resize(16);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

} // namespace

std::string GetFaderChannelName(TDevice& device, int number)
{
    if (device.IsDummy())
        return {};
    return ChannelDisplayName(device.GetData(stFCH), device.GetData(stFCHLabels), number);
}

FaderChannelNameTable FaderChannelNames(TDevice& device)
{
    FaderChannelNameTable names;
    if (device.IsDummy())
        return names;
    const auto channels = device.GetData(stFCH);
    const auto labels = device.GetData(stFCHLabels);
    for (std::size_t i = 0; i < kFaderChannelList.count(channels.size()); ++i) {
        const int number = channels[kFaderChannelList.offset(i) + 20];
        names[static_cast<std::size_t>(number)] = ChannelDisplayName(channels, labels, number);
    }
    return names;
}

void SetFaderChannelName(TDevice& device, int number, std::string_view name)
{
    TFaderChannel channel;
    if (device.IsDummy() || GetFaderChannel(device, number, channel) == 0)
        return;
    SetLabel(channel.ShortName, name.substr(0, 4));
    SetFaderChannel(device, number, channel);
    TFaderChannelLabel label;
    if (GetFaderChannelLabel(device, number, label) != 0) {
        SetLabel(label.Label, name.substr(0, 16));
        SetFaderChannelLabel(device, number, label);
    }
}

} // namespace kvr::model
