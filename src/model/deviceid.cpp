#include "kvrdata/byteorder.h"
#include "model/keyrecords.h"
#include "model/project.h"
#include "model/projectinfo.h"

#include <vector>

namespace kvr::model {

void TProject::ChangeDeviceID(std::uint32_t oldId, std::uint32_t newId)
{
    for (const auto& device : FDevices) {
        if (device->GetDeviceID() == oldId)
            device->WriteDeviceID(newId);
        // Keys that address a device.
        ForEachModuleSlot([&](std::uint8_t slotId) {
            UpdateOwnKeyRecords(*device, slotId, [&](std::span<std::uint8_t> record) {
                if (record[kr::Kind] != kr::KindDeviceKey || readBE32(record, kr::DeviceID) != oldId)
                    return false;
                writeBE32(record, kr::DeviceID, newId);
                return true;
            });
        });
        // Global resources and the global pool.
        ChangeDeviceIDInRecords(*device, oldId, newId);
    }

    // The project information names devices in little-endian numbers.
    std::vector<std::uint8_t> info;
    if (!GetProjData(pstProjectInfo, info) || info.size() < 12)
        return;
    bool changed = false;
    if (readLE32(info, 0) == oldId) {
        writeLE32(info, 0, newId);
        changed = true;
    }
    const std::size_t entries = readLE32(info, 8);
    for (std::size_t k = 0; k < entries && 12 + 8 * k + 8 <= info.size(); ++k) {
        if (readLE32(info, 12 + 8 * k) == oldId) {
            writeLE32(info, 12 + 8 * k, newId);
            changed = true;
        }
    }
    if (changed)
        SetProjData(pstProjectInfo, info);
}

} // namespace kvr::model
