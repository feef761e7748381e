#include "model/globalresources.h"

#include <algorithm>
#include <string>

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/keyrecords.h"
#include "model/project.h"
#include "model/recordhooks.h"

namespace kvr::model {

namespace {

constexpr std::size_t kHead = 30;
constexpr std::size_t kEntry = 6;

struct Layout {
    std::size_t head = kHead;
    std::size_t entry = kEntry;
};

// The stored head and entry sizes; the current layout when the structure is missing.
Layout LayoutOf(std::span<const std::uint8_t> payload)
{
    if (payload.size() < 2)
        return {};
    return {payload[0], payload[1]};
}

std::vector<std::uint8_t> EncodeResource(const TGlobalResource& r, Layout layout)
{
    std::vector<std::uint8_t> head;
    head.reserve(kHead);
    ByteWriter h(head);
    h.u8(r.ID);
    h.u8(r.Option);
    const std::size_t count = std::min<std::size_t>(r.Count, kMaxSubscribers);
    h.u8(static_cast<std::uint8_t>(count));
    h.u8(r.Mode);
    h.bytes(r.Options);
    h.be32(r.Master);
    h.be32(r.DefaultOwner);
    for (const char c : r.Label)
        h.u8(static_cast<std::uint8_t>(c));
    // An older, smaller layout keeps only what fits in it.
    head.resize(layout.head, 0);
    std::vector<std::uint8_t> out = head;
    for (std::size_t k = 0; k < count; ++k) {
        std::vector<std::uint8_t> entry;
        entry.reserve(kEntry);
        ByteWriter e(entry);
        e.be32(r.Subscribers[k].DeviceID);
        e.be16(r.Subscribers[k].LogicID);
        entry.resize(layout.entry, 0);
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

// Rebuilds a structure from resources in the given layout.
std::vector<std::uint8_t> Rebuild(const std::vector<TGlobalResource>& resources, Layout layout)
{
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(layout.head), static_cast<std::uint8_t>(layout.entry)};
    for (const TGlobalResource& r : resources) {
        const auto bytes = EncodeResource(r, layout);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<TGlobalResource> ReadAll(std::span<const std::uint8_t> payload)
{
    std::vector<TGlobalResource> out;
    const Layout layout = LayoutOf(payload);
    for (const RecordSpan& r : WalkGlobalResources(payload))
        out.push_back(DecodeGlobalResource(payload.subspan(r.offset, r.length), layout.head, layout.entry));
    return out;
}

TDevice* Device0(const TProject& project) { return project.DeviceCount() > 0 ? project.Device(0) : nullptr; }

// Fader channels (1-149) whose global-resource byte matches get 0.
void ClearFaderChannelResources(TDevice& dev, const std::function<bool(int)>& matches)
{
    const std::vector<std::uint8_t> channels = dev.GetData(stFCH);
    std::vector<int> numbers;
    for (std::size_t i = 0; i < kFaderChannelList.count(channels.size()); ++i) {
        const std::size_t at = kFaderChannelList.offset(i);
        if (matches(channels[at + 21]))
            numbers.push_back(channels[at + 20]);
    }
    for (const int number : numbers) {
        TFaderChannel channel;
        if (GetFaderChannel(dev, number, channel) != 0) {
            channel.GlobalResource = 0;
            SetFaderChannel(dev, number, channel);
        }
    }
}

// Global-resource keys whose resource byte matches get 0.
// Deleting a resource walks the module types with their own key records; clearing a replaced
// image's references walks every module type without a shared key table.
enum class KeyWalk { OwnKeyTypes, Unshared };

void ClearResourceKeys(TDevice& dev, KeyWalk walk, const std::function<bool(int)>& matches)
{
    ForEachModuleSlot([&](std::uint8_t slot) {
        const auto update = walk == KeyWalk::OwnKeyTypes ? UpdateOwnKeyRecords : UpdateUnsharedKeyRecords;
        update(dev, slot, [&](std::span<std::uint8_t> record) {
            if (record[kr::Kind] != kr::KindGlobalResource || !matches(record[kr::Params]))
                return false;
            record[kr::Params] = 0;
            return true;
        });
    });
}

} // namespace

std::vector<RecordSpan> WalkGlobalResources(std::span<const std::uint8_t> payload)
{
    std::vector<RecordSpan> out;
    const Layout layout = LayoutOf(payload);
    if (payload.size() < 2 || layout.head < 3)
        return out;
    std::size_t at = 2;
    while (payload.size() - at >= layout.head) {
        const std::size_t length = layout.head + layout.entry * payload[at + 2];
        if (length > payload.size() - at)
            break;
        out.push_back({at, length});
        at += length;
    }
    return out;
}

TGlobalResource DecodeGlobalResource(std::span<const std::uint8_t> resource, std::size_t head, std::size_t entry)
{
    TGlobalResource r;
    std::array<std::uint8_t, kHead> h{};
    std::copy_n(resource.begin(), std::min({head, kHead, resource.size()}), h.begin());
    r.ID = h[0];
    r.Option = h[1];
    r.Mode = h[3];
    r.Options = {h[4], h[5]};
    r.Master = readBE32(h, 6);
    r.DefaultOwner = readBE32(h, 10);
    for (std::size_t i = 0; i < r.Label.size(); ++i)
        r.Label[i] = static_cast<char>(h[14 + i]);
    std::size_t count = 0;
    for (std::size_t k = 0; k < h[2] && k < kMaxSubscribers && entry > 0; ++k) {
        const std::size_t at = head + k * entry;
        if (at >= resource.size() || resource.size() - at < entry)
            break;
        std::array<std::uint8_t, kEntry> e{};
        std::copy_n(resource.begin() + static_cast<std::ptrdiff_t>(at), std::min(entry, kEntry), e.begin());
        r.Subscribers[k] = {readBE32(e, 0), readBE16(e, 4)};
        ++count;
    }
    r.Count = static_cast<std::uint8_t>(count);
    return r;
}

bool IsGlobalResourceSubscriber(const TGlobalResource& resource, std::uint32_t deviceId)
{
    const std::size_t count = std::min<std::size_t>(resource.Count, kMaxSubscribers);
    return std::any_of(resource.Subscribers.begin(), resource.Subscribers.begin() + static_cast<std::ptrdiff_t>(count),
                       [deviceId](const TSubscriber& s) { return s.DeviceID == deviceId; });
}

void FilterGlobalResources(const TProject& project, std::vector<std::uint8_t>& ids, std::uint32_t deviceId)
{
    std::erase_if(ids, [&](std::uint8_t id) {
        TGlobalResource resource;
        return GetGlobalResource(project, id, resource) == 0 || !IsGlobalResourceSubscriber(resource, deviceId);
    });
}

// Device level.

void SetGlobalResource(TDevice& dev, const TGlobalResource& resource)
{
    if (dev.IsDummy())
        return;
    const std::vector<std::uint8_t> payload = dev.GetData(stGlobalRes);
    // A head too small to hold the subscriber count cannot be walked: start in the current layout.
    const Layout layout = LayoutOf(payload).head >= 3 ? LayoutOf(payload) : Layout{};
    std::vector<TGlobalResource> resources = ReadAll(payload);
    std::erase_if(resources, [&](const TGlobalResource& r) { return r.ID == resource.ID; });
    resources.push_back(resource);
    resources.back().Count = static_cast<std::uint8_t>(std::min<int>(resource.Count, kMaxSubscribers));
    dev.SetData(stGlobalRes, Rebuild(resources, layout));
    dev.FLogicSourcesChanged = true;
}

int GetGlobalResource(const TDevice& dev, int id, TGlobalResource& out)
{
    if (dev.IsDummy())
        return 0;
    for (const TGlobalResource& r : ReadAll(dev.GetData(stGlobalRes))) {
        if (r.ID == id) {
            out = r;
            return 1;
        }
    }
    return 0;
}

int DeleteGlobalResource(TDevice& dev, int id)
{
    if (dev.IsDummy())
        return 0;
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stGlobalRes, payload))
        return 0;
    std::vector<TGlobalResource> resources = ReadAll(payload);
    const std::size_t removed = std::erase_if(resources, [id](const TGlobalResource& r) { return r.ID == id; });
    dev.SetData(stGlobalRes, removed != 0 ? Rebuild(resources, LayoutOf(payload)) : payload);
    return removed != 0 ? 1 : 0;
}

std::vector<std::uint8_t> GetGlobalResourceIDs(const TDevice& dev)
{
    std::vector<std::uint8_t> ids;
    if (dev.IsDummy())
        return ids;
    for (const TGlobalResource& r : ReadAll(dev.GetData(stGlobalRes)))
        ids.push_back(r.ID);
    return ids;
}

void FixGlobalResources(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(stGlobalRes, payload) || payload.size() < 2)
        return;
    const Layout layout = LayoutOf(payload);
    if (layout.head <= kHead && layout.entry <= kEntry)
        return;
    dev.SetData(stGlobalRes, Rebuild(ReadAll(payload), Layout{}));
}

// Project level.

int GetGlobalResource(const TProject& project, int id, TGlobalResource& out)
{
    const TDevice* dev0 = Device0(project);
    return dev0 != nullptr ? GetGlobalResource(*dev0, id, out) : 0;
}

int SetGlobalResource(TProject& project, const TGlobalResource& resource)
{
    TDevice* dev0 = Device0(project);
    if (dev0 == nullptr)
        return 0;
    SetGlobalResource(*dev0, resource);
    SyncGlobalResources(project);
    MarkProjectModified(project);
    return 1;
}

int SyncGlobalResources(TProject& project)
{
    const TDevice* dev0 = Device0(project);
    if (dev0 == nullptr)
        return 0;
    std::vector<std::uint8_t> source;
    const bool present = dev0->GetData(stGlobalRes, source);
    std::vector<std::uint8_t> copy;
    for (int i = 1; i < project.DeviceCount(); ++i) {
        TDevice& dev = *project.Device(i);
        if (dev.IsDummy())
            continue;
        const bool has = dev.GetData(stGlobalRes, copy);
        if (present && (!has || copy != source))
            dev.SetData(stGlobalRes, source);
        else if (!present && has)
            dev.SetData(stGlobalRes, {});
    }
    return 1;
}

std::vector<std::uint8_t> GetGlobalResourceIDs(TProject& project)
{
    const TDevice* dev0 = Device0(project);
    if (dev0 == nullptr)
        return {};
    SyncGlobalResources(project);
    std::vector<std::uint8_t> ids = GetGlobalResourceIDs(*dev0);
    std::sort(ids.begin(), ids.end());
    return ids;
}

int AddGlobalResource(TProject& project, TGlobalResource& out)
{
    TDevice* dev0 = Device0(project);
    if (dev0 == nullptr)
        return 0;
    SyncGlobalResources(project);
    const std::vector<std::uint8_t> ids = GetGlobalResourceIDs(*dev0);
    if (ids.size() >= static_cast<std::size_t>(kMaxGlobalResources))
        return 0;
    int id = ids.empty() ? 1 : *std::max_element(ids.begin(), ids.end()) + 1;
    if (id >= 150) {
        id = 0;
        for (int candidate = 1; candidate < 150 && id == 0; ++candidate)
            if (std::find(ids.begin(), ids.end(), candidate) == ids.end())
                id = candidate;
    }
    if (id == 0)
        return 0;
    TGlobalResource r;
    r.ID = static_cast<std::uint8_t>(id);
    r.DefaultOwner = dev0->GetDeviceID();
    const std::string label = "Global Res. " + std::to_string(id);
    std::copy_n(label.begin(), std::min(label.size(), r.Label.size()), r.Label.begin());
    SetGlobalResource(project, r);
    out = r;
    return 1;
}

int GetFreeSubscriberLogicID(const TProject& project, std::uint16_t& id)
{
    const TDevice* dev0 = Device0(project);
    if (dev0 == nullptr)
        return 0;
    std::vector<int> used;
    for (const TGlobalResource& r : ReadAll(dev0->GetData(stGlobalRes)))
        for (std::size_t k = 0; k < r.Count; ++k)
            used.push_back(r.Subscribers[k].LogicID);
    const int last = kFirstSubscriberLogicID + kSubscriberLogicIDs; // 1986, outside the category
    int candidate = kFirstSubscriberLogicID;
    for (const int u : used)
        if (u >= candidate)
            candidate = u + 1; // one above the highest in use
    if (candidate >= last) {
        candidate = kFirstSubscriberLogicID;
        while (candidate < last && std::find(used.begin(), used.end(), candidate) != used.end())
            ++candidate;
        if (candidate >= last)
            return 0;
    }
    id = static_cast<std::uint16_t>(candidate);
    return 1;
}

int AddGlobalResourceSubscriber(TProject& project, int resourceId, int deviceIndex)
{
    TGlobalResource r;
    if (GetGlobalResource(project, resourceId, r) == 0 || r.Count >= kMaxSubscribers)
        return 0;
    if (deviceIndex < 0 || deviceIndex >= project.DeviceCount())
        return 0;
    const std::uint32_t deviceId = project.Device(deviceIndex)->GetDeviceID();
    if (IsGlobalResourceSubscriber(r, deviceId))
        return 0;
    std::uint16_t logic = 0;
    if (GetFreeSubscriberLogicID(project, logic) == 0)
        return 0;
    r.Subscribers[r.Count] = {deviceId, logic};
    ++r.Count;
    return SetGlobalResource(project, r);
}

int RemoveGlobalResourceSubscriber(TProject& project, int resourceId, int subscriberIndex)
{
    TGlobalResource r;
    if (GetGlobalResource(project, resourceId, r) == 0 || subscriberIndex < 0 || subscriberIndex >= r.Count)
        return 0;
    const TSubscriber removed = r.Subscribers[static_cast<std::size_t>(subscriberIndex)];
    if (removed.DeviceID == r.Master)
        r.Master = 0;
    std::copy(r.Subscribers.begin() + subscriberIndex + 1, r.Subscribers.end(), r.Subscribers.begin() + subscriberIndex);
    r.Subscribers.back() = {};
    --r.Count;
    SetGlobalResource(project, r);
    for (int i = 0; i < project.DeviceCount(); ++i)
        if (!project.Device(i)->IsDummy())
            AdaptLogics(*project.Device(i), removed.LogicID, 0, amDelete);
    return 1;
}

int DeleteGlobalResource(TProject& project, int id)
{
    TDevice* dev0 = Device0(project);
    if (dev0 == nullptr)
        return 0;
    TGlobalResource r;
    const bool existed = GetGlobalResource(*dev0, id, r) != 0;
    const int result = DeleteGlobalResource(*dev0, id);
    SyncGlobalResources(project);
    for (int i = 0; i < project.DeviceCount(); ++i) {
        TDevice& dev = *project.Device(i);
        if (dev.IsDummy())
            continue;
        DeferredFitting deferred(dev);
        ClearFaderChannelResources(dev, [id](int resource) { return resource == id; });
        if (existed)
            for (std::size_t k = 0; k < r.Count; ++k)
                AdaptLogics(dev, r.Subscribers[k].LogicID, 0, amDelete);
        ClearResourceKeys(dev, KeyWalk::OwnKeyTypes, [id](int resource) { return resource == id; });
    }
    MarkProjectModified(project);
    return result;
}

void ClearGlobalResourceRefs(TProject& project, int deviceIndex)
{
    if (deviceIndex < 0 || deviceIndex >= project.DeviceCount())
        return;
    TDevice& dev = *project.Device(deviceIndex);
    if (dev.IsDummy())
        return;
    ClearFaderChannelResources(dev, [](int resource) { return resource != 0; });
    ClearResourceKeys(dev, KeyWalk::Unshared, [](int resource) { return resource != 0; });
    for (const TGlobalResource& r : ReadAll(dev.GetData(stGlobalRes)))
        for (std::size_t k = 0; k < r.Count; ++k)
            AdaptLogics(dev, r.Subscribers[k].LogicID, 0, amDelete);
}

} // namespace kvr::model
