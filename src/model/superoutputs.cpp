#include "model/superoutputs.h"

#include <algorithm>
#include <string>

#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/modelutil.h"
#include "model/summingbuses.h"

namespace kvr::model {

namespace {

constexpr std::size_t kGroupLogicSize = 8;
constexpr std::size_t kUserGroupsHead = 6;
constexpr std::size_t kUserGroupSize = 20;
constexpr std::uint8_t kSOFHeadSize = 20;
constexpr std::uint8_t kSOFEntrySize = 6;

template <std::size_t N>
void LabelFrom(std::array<char, N>& label, std::span<const std::uint8_t> bytes, std::size_t at, std::size_t limit)
{
    for (std::size_t i = 0; i < N; ++i)
        label[i] = at + i < limit ? static_cast<char>(bytes[at + i]) : '\0';
}

template <std::size_t N>
void LabelTo(ByteWriter& w, const std::array<char, N>& label)
{
    for (const char c : label)
        w.u8(static_cast<std::uint8_t>(c));
}

} // namespace

// Group logic.

std::array<std::uint8_t, 8> GetGroupLogic(const TDevice& dev)
{
    std::array<std::uint8_t, 8> groups{};
    if (dev.IsDummy())
        return groups;
    const std::vector<std::uint8_t> payload = dev.GetData(stGroupLogic);
    std::copy_n(payload.begin(), std::min(payload.size(), groups.size()), groups.begin());
    return groups;
}

void SetGroupLogic(TDevice& dev, const std::array<std::uint8_t, 8>& groups)
{
    if (dev.IsDummy())
        return;
    std::vector<std::uint8_t> payload = dev.GetData(stGroupLogic);
    payload.resize(std::max(payload.size(), kGroupLogicSize), 0);
    std::copy(groups.begin(), groups.end(), payload.begin());
    dev.SetData(stGroupLogic, payload);
}

void FixGroupLogic(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stGroupLogic, payload) || payload.size() < kGroupLogicSize) {
        payload.resize(kGroupLogicSize, 0);
        dev.SetData(stGroupLogic, payload);
        return;
    }
    bool cleared = false;
    for (std::size_t g = 0; g < 4; ++g) {
        // A group is in use only with both a bus and a fader channel.
        if ((payload[2 * g] == 0) != (payload[2 * g + 1] == 0)) {
            payload[2 * g] = 0;
            payload[2 * g + 1] = 0;
            cleared = true;
        }
    }
    if (cleared)
        dev.SetData(stGroupLogic, payload);
}

// User groups.

TUserGroups DecodeUserGroups(std::span<const std::uint8_t> payload)
{
    TUserGroups out;
    std::array<std::uint8_t, kUserGroupsHead> head{};
    std::copy_n(payload.begin(), std::min(payload.size(), head.size()), head.begin());
    out.PinLogic1 = readBE16(head, 0);
    out.PinLogic2 = readBE16(head, 2);
    out.Options = head[4];
    const std::size_t size = head[5];
    for (std::size_t g = 0; g < out.Groups.size(); ++g) {
        std::array<std::uint8_t, kUserGroupSize> record{};
        const std::size_t at = kUserGroupsHead + g * size;
        if (at < payload.size())
            std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>(at),
                        std::min({size, kUserGroupSize, payload.size() - at}), record.begin());
        TUserGroup& group = out.Groups[g];
        LabelFrom(group.Label, record, 0, 16);
        group.PIN = readBE16(record, 16);
        group.Autolock = record[18];
        group.Display = record[19];
    }
    out.RecordSize = static_cast<std::uint8_t>(kUserGroupSize);
    return out;
}

std::vector<std::uint8_t> EncodeUserGroups(const TUserGroups& groups)
{
    const std::size_t size = std::max<std::size_t>(groups.RecordSize, kUserGroupSize);
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.be16(groups.PinLogic1);
    w.be16(groups.PinLogic2);
    w.u8(groups.Options);
    w.u8(static_cast<std::uint8_t>(size));
    for (const TUserGroup& group : groups.Groups) {
        LabelTo(w, group.Label);
        w.be16(group.PIN);
        w.u8(group.Autolock);
        w.u8(group.Display);
        w.zeros(size - kUserGroupSize);
    }
    return out;
}

int GetUserGroups(const TDevice& dev, TUserGroups& out)
{
    out = TUserGroups{};
    if (dev.IsDummy())
        return 0;
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stUserGroups, payload))
        return 0;
    out = DecodeUserGroups(payload);
    return 1;
}

void SetUserGroups(TDevice& dev, const TUserGroups& groups)
{
    if (dev.IsDummy())
        return;
    dev.SetData(stUserGroups, EncodeUserGroups(groups));
}

void FixUserGroups(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stUserGroups, payload)) {
        TUserGroups groups;
        for (std::size_t g = 0; g < groups.Groups.size(); ++g) {
            const std::string label = "Group " + std::to_string(g + 1);
            std::copy(label.begin(), label.end(), groups.Groups[g].Label.begin());
        }
        SetUserGroups(dev, groups);
        return;
    }
    if (payload.size() < kUserGroupsHead || payload[5] < kUserGroupSize)
        SetUserGroups(dev, DecodeUserGroups(payload));
}

// Super output functions.

std::vector<RecordSpan> WalkSOFs(std::span<const std::uint8_t> payload)
{
    std::vector<RecordSpan> out;
    std::size_t at = 2;
    while (at < payload.size() && payload.size() - at >= 2) {
        const std::size_t length = readBE16(payload, at);
        if (length < 2 || length > payload.size() - at)
            break;
        out.push_back({at, length});
        at += length;
    }
    return out;
}

namespace {

TSOFRecord DecodeSOF(std::span<const std::uint8_t> sof, std::size_t head, std::size_t entry)
{
    TSOFRecord out;
    out.HeadSize = static_cast<std::uint8_t>(head);
    out.EntrySize = static_cast<std::uint8_t>(entry);
    const std::size_t headEnd = std::min(head, sof.size());
    std::array<std::uint8_t, kSOFHeadSize> h{};
    std::copy_n(sof.begin(), std::min<std::size_t>(headEnd, kSOFHeadSize), h.begin());
    out.TotalSize = readBE16(h, 0);
    out.Options = {h[2], h[3]};
    LabelFrom(out.Label, h, 4, kSOFHeadSize);
    std::size_t at = headEnd;
    for (TSOFInput& input : out.Inputs) {
        if (sof.size() - at < 2)
            break;
        const std::size_t count = sof[at];
        input.Option = sof[at + 1];
        at += 2;
        std::size_t k = 0;
        for (; k < count && entry > 0 && sof.size() - at >= entry; ++k, at += entry) {
            if (k >= kSOFMaxSources)
                continue;
            std::array<std::uint8_t, kSOFEntrySize> e{};
            std::copy_n(sof.begin() + static_cast<std::ptrdiff_t>(at), std::min<std::size_t>(entry, kSOFEntrySize), e.begin());
            input.Sources[k] = {readBE16(e, 0), {e[2], e[3]}, readBE16(e, 4)};
        }
        input.Count = static_cast<std::uint8_t>(std::min<std::size_t>(k, kSOFMaxSources));
        if (k < count)
            break;
    }
    return out;
}

std::vector<std::uint8_t> EncodeSOF(const TSOFRecord& record, std::size_t head, std::size_t entry)
{
    std::size_t total = head;
    for (const TSOFInput& input : record.Inputs)
        total += 2 + entry * std::min<std::size_t>(input.Count, kSOFMaxSources);
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.be16(static_cast<std::uint16_t>(total));
    w.bytes(record.Options);
    LabelTo(w, record.Label);
    w.zeros(head - kSOFHeadSize);
    for (const TSOFInput& input : record.Inputs) {
        const std::size_t count = std::min<std::size_t>(input.Count, kSOFMaxSources);
        w.u8(static_cast<std::uint8_t>(count));
        w.u8(input.Option);
        for (std::size_t k = 0; k < count; ++k) {
            w.be16(input.Sources[k].Audio);
            w.bytes(input.Sources[k].Options);
            w.be16(input.Sources[k].Logic);
            w.zeros(entry - kSOFEntrySize);
        }
    }
    return out;
}

// The stored structure, or an empty one in the current layout. An older layout (smaller head or
// entries) is not converted; the load repair removes it.
std::vector<std::uint8_t> SOFStructure(const TDevice& dev)
{
    std::vector<std::uint8_t> payload = dev.GetData(stSOF);
    if (payload.size() < 2 || payload[0] < kSOFHeadSize || payload[1] < kSOFEntrySize)
        payload = {kSOFHeadSize, kSOFEntrySize};
    return payload;
}

} // namespace

int GetSOF(const TDevice& dev, int index, TSOFRecord& out)
{
    if (dev.IsDummy() || index < 0)
        return 0;
    const std::vector<std::uint8_t> payload = dev.GetData(stSOF);
    if (payload.size() < 2)
        return 0;
    const auto sofs = WalkSOFs(payload);
    if (static_cast<std::size_t>(index) >= sofs.size())
        return 0;
    const RecordSpan r = sofs[static_cast<std::size_t>(index)];
    out = DecodeSOF(std::span(payload).subspan(r.offset, r.length), payload[0], payload[1]);
    return 1;
}

int SetSOF(TDevice& dev, int index, const TSOFRecord& record)
{
    if (dev.IsDummy() || index < 0)
        return 0;
    std::vector<std::uint8_t> payload = SOFStructure(dev);
    const auto sofs = WalkSOFs(payload);
    const auto bytes = EncodeSOF(record, payload[0], payload[1]);
    if (static_cast<std::size_t>(index) < sofs.size()) {
        const RecordSpan r = sofs[static_cast<std::size_t>(index)];
        EraseBytes(payload, r.offset, r.length);
        InsertBytes(payload, r.offset, bytes);
    } else {
        InsertBytes(payload, sofs.empty() ? 2 : RecordsEnd(sofs), bytes);
    }
    if (!dev.SetData(stSOF, payload))
        return 0;
    dev.FAudioSourcesChanged = true;
    dev.CheckDSPResources(dev.FFitOptions);
    return 1;
}

int AddSOF(TDevice& dev, int& index, TSOFRecord& record)
{
    if (dev.IsDummy())
        return 0;
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stSOF, payload)) {
        payload = {kSOFHeadSize, kSOFEntrySize};
        dev.SetData(stSOF, payload);
    }
    const int count = static_cast<int>(WalkSOFs(payload).size());
    if (count >= GetSOFLimit(dev))
        return 0;
    TSOFRecord sof;
    const std::string label = "SOF " + std::to_string(count + 1);
    std::copy(label.begin(), label.end(), sof.Label.begin());
    for (TSOFInput& input : sof.Inputs)
        input.Count = 1;
    if (SetSOF(dev, count, sof) == 0)
        return 0;
    GetSOF(dev, count, record);
    index = count;
    return 1;
}

int DeleteSOF(TDevice& dev, int index)
{
    if (dev.IsDummy() || index < 0)
        return 0;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stSOF);
    const auto sofs = WalkSOFs(payload);
    if (static_cast<std::size_t>(index) >= sofs.size())
        return 0;
    EraseBytes(payload, sofs[static_cast<std::size_t>(index)].offset, sofs[static_cast<std::size_t>(index)].length);
    if (!dev.SetData(stSOF, payload))
        return 0;
    // Stored first, so that the adaptation sees the list without the SOF.
    CallAdaptAudioSources(dev, kSOFSourceBase + index, 0);
    dev.FAudioSourcesChanged = true;
    return 1;
}

void FixSOF(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    std::vector<std::uint8_t> payload;
    if (dev.GetData(stSOF, payload) && (payload.empty() || payload[0] < kSOFHeadSize))
        dev.SetData(stSOF, {});
}

} // namespace kvr::model
