#include "model/linkaccess.h"

#include "model/modelhost.h"
#include "model/project.h"
#include "model/recordhooks.h"
#include "model/recordlist.h"

namespace kvr::model {

namespace {

constexpr FixedList kLinkList{0, kDeviceLinkSize};

void Trace(const std::string& line)
{
    if (TraceCallback)
        TraceCallback(line);
}

// Stores the links and their count (project header byte 79); the header write marks the
// project changed.
bool StoreLinks(TProject& project, const std::vector<std::uint8_t>& payload)
{
    if (!project.SetProjData(pstDeviceLinks, payload))
        return false;
    auto header = project.GetHeader();
    header[ph::LinkCount] = static_cast<std::uint8_t>(std::min<std::size_t>(kLinkList.count(payload.size()), 255));
    project.SetHeader(header);
    return true;
}

} // namespace

int AddDeviceLink(TProject& project, const TDeviceLink& record)
{
    auto payload = project.GetProjData(pstDeviceLinks);
    const int id = FreeDeviceLinkID(payload);
    if (id < 0)
        return -1;
    Trace("ADD:" + DeviceLinkToText(record));
    TDeviceLink stored = record;
    stored.ID = static_cast<std::uint8_t>(id);
    stored.Opt = 0;
    payload.resize(kLinkList.end(payload.size()));
    const auto bytes = EncodeDeviceLink(stored);
    payload.insert(payload.end(), bytes.begin(), bytes.end());
    if (!StoreLinks(project, payload))
        return -1;
    return id;
}

int GetDeviceLink(TProject& project, int id, TDeviceLink& out)
{
    const auto found = FindStoredLink(project.GetProjData(pstDeviceLinks), id);
    if (!found)
        return 0;
    const std::uint8_t opt = out.Opt;
    out = *found;
    out.Opt = opt;
    Trace("GET:" + DeviceLinkToText(out));
    return 1;
}

void SetDeviceLink(TProject& project, int id, const TDeviceLink& record)
{
    Trace("SET:" + DeviceLinkToText(record));
    if ((record.Opt & kLinkNotWritten) != 0) {
        Trace("Link not written!");
        return;
    }
    auto payload = project.GetProjData(pstDeviceLinks);
    for (std::size_t i = 0; i < kLinkList.count(payload.size()); ++i) {
        const std::size_t at = kLinkList.offset(i);
        if (payload[at] != id)
            continue;
        TDeviceLink stored = record;
        stored.Opt = 0;
        const auto bytes = EncodeDeviceLink(stored);
        std::copy(bytes.begin(), bytes.end(), payload.begin() + static_cast<std::ptrdiff_t>(at));
        if (project.SetProjData(pstDeviceLinks, payload))
            MarkProjectModified(project);
        return;
    }
}

void DeleteDeviceLink(TProject& project, int id)
{
    auto payload = project.GetProjData(pstDeviceLinks);
    std::optional<TDeviceLinkRecord> removed;
    for (std::size_t i = 0; i < kLinkList.count(payload.size());) {
        const std::size_t at = kLinkList.offset(i);
        if (payload[at] != id) {
            ++i;
            continue;
        }
        removed.emplace();
        std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>(at), kDeviceLinkSize, removed->begin());
        EraseBytes(payload, at, kDeviceLinkSize);
    }
    if (!removed)
        return;
    StoreLinks(project, payload);
    if (TDevice* target = project.Device((*removed)[5]))
        RemovePoolLinesOfLink(*target, *removed);
}

int FindDeviceLink(TProject& project, int channel, int device, int* linkID, int side)
{
    return ScoreDeviceLinks(project.GetProjData(pstDeviceLinks), channel, device, side, linkID);
}

} // namespace kvr::model
