#include "model/keyrecords.h"

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/keyfunctions.h"

#include <vector>

namespace kvr::model {

void ForEachModuleSlot(const std::function<void(std::uint8_t)>& visit)
{
    for (int row = 0; row < 12; ++row) {
        for (int position = 0; position < 9; ++position)
            visit(static_cast<std::uint8_t>(100 + 10 * row + position));
    }
}

bool HasOwnKeyRecords(int moduleType)
{
    switch (moduleType) {
    case 10: case 11: case 12: case 13: case 25: case 26:
        return true;
    default:
        return false;
    }
}

namespace {

void UpdateKeyRecords(TDevice& device, std::uint8_t slotId, bool (*takes)(int),
                      const std::function<bool(std::span<std::uint8_t>)>& change)
{
    std::vector<std::uint8_t> entry;
    if (!device.GetSetupData(slotId, entry) || entry.size() < kr::FirstRecord)
        return;
    if (!takes(readLE16(entry, kr::ModuleType)))
        return;
    bool changed = false;
    const std::size_t count = entry[kr::RecordCount];
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = kr::FirstRecord + k * kr::RecordSize;
        if (at + kr::RecordSize > entry.size())
            break;
        changed = change(std::span<std::uint8_t>(entry.data() + at, kr::RecordSize)) || changed;
    }
    if (changed)
        device.SetSetupData(slotId, entry);
}

bool HasNoSharedTable(int moduleType) { return !SharedKeyTableOf(moduleType).has_value(); }

} // namespace

void UpdateOwnKeyRecords(TDevice& device, std::uint8_t slotId, const std::function<bool(std::span<std::uint8_t>)>& change)
{
    UpdateKeyRecords(device, slotId, HasOwnKeyRecords, change);
}

void UpdateUnsharedKeyRecords(TDevice& device, std::uint8_t slotId, const std::function<bool(std::span<std::uint8_t>)>& change)
{
    UpdateKeyRecords(device, slotId, HasNoSharedTable, change);
}

} // namespace kvr::model
