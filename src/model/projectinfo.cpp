#include "model/projectinfo.h"

#include <algorithm>

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/globalresources.h"
#include "model/project.h"
#include "model/recordhooks.h"

namespace kvr::model {

bool GetProjectInfo(const TProject& project, std::vector<std::uint8_t>& out)
{
    std::vector<std::uint8_t> info;
    if (!project.GetProjData(pstProjectInfo, info))
        return false;
    info.resize(std::min(info.size(), kProjectInfoMaxSize));
    out = std::move(info);
    return true;
}

void SetProjectInfo(TProject& project, std::span<const std::uint8_t> record)
{
    if (record.size() < 12)
        return;
    const std::size_t available = std::min(record.size(), kProjectInfoMaxSize);
    const std::size_t entries = std::min<std::size_t>(readLE32(record, 8), (available - 12) / 8);
    std::vector<std::uint8_t> info(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(12 + 8 * entries));
    writeLE32(info, 8, static_cast<std::uint32_t>(entries));
    project.SetProjData(pstProjectInfo, info);
    MarkProjectModified(project);
}

void ChangeDeviceIDInRecords(TDevice& dev, std::uint32_t oldId, std::uint32_t newId)
{
    if (dev.IsDummy())
        return;
    // Global resources, rewritten in their stored order and layout.
    std::vector<std::uint8_t> resources;
    if (dev.GetData(stGlobalRes, resources) && resources.size() >= 2) {
        bool changed = false;
        const std::size_t head = resources[0];
        const std::size_t entry = resources[1];
        const auto rename = [&](std::size_t at) {
            if (at + 4 <= resources.size() && readBE32(resources, at) == oldId) {
                writeBE32(resources, at, newId);
                changed = true;
            }
        };
        for (const RecordSpan& r : WalkGlobalResources(resources)) {
            if (head >= 10)
                rename(r.offset + 6); // master
            if (head >= 14)
                rename(r.offset + 10); // default owner
            if (entry >= 4)
                for (std::size_t k = 0; k < resources[r.offset + 2]; ++k)
                    rename(r.offset + head + k * entry);
        }
        if (changed) {
            dev.SetData(stGlobalRes, resources);
            dev.FLogicSourcesChanged = true;
        }
    }
    // The pool still comes from the same device: no pool references are cleared.
    std::vector<std::uint8_t> pool;
    if (dev.GetData(stGlobalPool, pool) && pool.size() >= 8 && readBE32(pool, 4) == oldId) {
        writeBE32(pool, 4, newId);
        dev.SetData(stGlobalPool, pool);
    }
}

} // namespace kvr::model
