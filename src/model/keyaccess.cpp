#include "model/keyaccess.h"

#include "model/device.h"
#include "model/keyrecords.h"
#include "model/recordhooks.h"

namespace kvr::model {

namespace {

constexpr int kLogicKeyBase = 1;
constexpr int kKeysPerBlock = 32;

std::vector<std::uint8_t> EmptyTable(int tableType)
{
    return {static_cast<std::uint8_t>(tableType & 0xFF), static_cast<std::uint8_t>(tableType >> 8), 0, 0, 0, 0};
}

} // namespace

int GetKeyFunction(TDevice& device, int key, TKeyRecord& out, int moduleSlot)
{
    if (device.IsDummy() || key == kNoKey || key < 0 || key > 255 || moduleSlot < 0 || moduleSlot > 255)
        return 0;
    if (const auto table = SharedKeyTableOf(ModuleType(device.GetSetupData(static_cast<std::uint8_t>(moduleSlot))))) {
        if (device.GetSetupData(table->SetupID).empty())
            device.SetSetupData(table->SetupID, EmptyTable(table->TableType));
    }
    return ReadKeyFunction(device, key, out, moduleSlot);
}

int ReadKeyFunction(const TDevice& device, int key, TKeyRecord& out, int moduleSlot)
{
    if (device.IsDummy() || key == kNoKey || key < 0 || key > 255 || moduleSlot < 0 || moduleSlot > 255)
        return 0;
    const auto entry = device.GetSetupData(static_cast<std::uint8_t>(moduleSlot));
    bool shared = false;
    if (const auto table = SharedKeyTableOf(ModuleType(entry))) {
        // A missing table holds no records.
        std::vector<std::uint8_t> tableEntry;
        device.GetSetupData(table->SetupID, tableEntry);
        if (const auto r = FindKeyRecord(tableEntry, FoldKey(*table, key))) {
            out = *r;
            out[0] = static_cast<std::uint8_t>(key);
            shared = true;
        }
    }
    if (const auto own = FindKeyRecord(entry, key)) {
        out = *own;
        return 1;
    }
    if (!shared) {
        out = TKeyRecord{};
        out[0] = static_cast<std::uint8_t>(key);
    }
    return 0;
}

void SetKeyFunction(TDevice& device, int key, const TKeyRecord& record, int own, int moduleSlot)
{
    if (device.IsDummy())
        return;
    device.FLogicSourcesChanged = true;
    if (key == kNoKey || key < 0 || key > 255 || moduleSlot < 0 || moduleSlot > 255)
        return;
    std::vector<std::uint8_t> moduleEntry;
    const bool moduleExists = device.GetSetupData(static_cast<std::uint8_t>(moduleSlot), moduleEntry);
    const int moduleType = ModuleType(moduleEntry);
    std::uint8_t target = static_cast<std::uint8_t>(moduleSlot);
    std::optional<int> forcedType;
    TKeyRecord stored = record;
    const auto table = SharedKeyTableOf(moduleType);
    if (table && own == 0) {
        target = table->SetupID;
        key = FoldKey(*table, key);
        stored[0] = static_cast<std::uint8_t>(key);
        forcedType = table->TableType;
    }
    // Keys of an empty slot have nowhere to go: no module entry is made up for them.
    if (target == moduleSlot && !moduleExists)
        return;
    auto entry = target == moduleSlot ? moduleEntry : device.GetSetupData(target);
    PutKeyRecord(entry, key, stored, forcedType);
    device.SetSetupData(target, entry);
    // The key's logic source goes with its function; the references are cleared after the
    // entry is stored so that the adaptation's own changes to it are not overwritten.
    if (IsEmptyKeyRecord(stored) && !forcedType && HasOwnKeyRecords(moduleType))
        AdaptLogics(device, kLogicKeyBase + kKeysPerBlock * entry[4] + key, 0, amDelete);
}

} // namespace kvr::model
