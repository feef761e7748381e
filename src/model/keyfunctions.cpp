#include "model/keyfunctions.h"

#include "kvrdata/byteorder.h"
#include "model/recordlist.h"

#include <algorithm>

namespace kvr::model {

namespace {

constexpr FixedList kKeyList{kModuleHead, kKeyRecordSize};

constexpr TSharedKeyTable kSharedTables[] = {
    {98, 20, 5, -1}, // module types 20 and 21
    {99, 23, 4, 16},
    {96, 28, 2, 8},
    {97, 29, 11, 45},
};

} // namespace

int ModuleType(std::span<const std::uint8_t> entry)
{
    return entry.size() >= 2 ? readLE16(entry, 0) : 0;
}

int ModuleKeyCount(int moduleType)
{
    switch (moduleType) {
    case 10: return 49;
    case 11: return 24;
    case 12: return 57;
    case 13: return 24;
    case 20: return 20;
    case 21: return 20;
    case 23: return 16;
    case 25: return 40;
    case 26: return 32;
    case 28: return 8;
    case 29: return 44;
    case 40: return 49;
    case 41: return 24;
    case 42: return 57;
    case 43: return 29;
    default: break;
    }
    if ((moduleType >= 30 && moduleType <= 39) || (moduleType >= 44 && moduleType <= 59))
        return -1;
    return 0;
}

std::size_t KeyRecordCount(std::span<const std::uint8_t> entry)
{
    if (entry.size() < kModuleHead)
        return 0;
    return std::min<std::size_t>(entry[5], kKeyList.count(entry.size()));
}

std::optional<TSharedKeyTable> SharedKeyTableOf(int moduleType)
{
    switch (moduleType) {
    case 20:
    case 21: return kSharedTables[0];
    case 23: return kSharedTables[1];
    case 28: return kSharedTables[2];
    case 29: return kSharedTables[3];
    default: return std::nullopt;
    }
}

int FoldKey(const TSharedKeyTable& table, int key)
{
    return key == table.ReservedKey ? key : key % table.Modulo;
}

bool IsEmptyKeyRecord(std::span<const std::uint8_t, kKeyRecordSize> record)
{
    return record[1] == 0 && record[33] == 0;
}

std::optional<TKeyRecord> FindKeyRecord(std::span<const std::uint8_t> entry, int key)
{
    for (std::size_t i = 0; i < KeyRecordCount(entry); ++i) {
        const std::size_t at = kKeyList.offset(i);
        if (entry[at] == key) {
            TKeyRecord r;
            std::copy_n(entry.begin() + static_cast<std::ptrdiff_t>(at), kKeyRecordSize, r.begin());
            return r;
        }
    }
    return std::nullopt;
}

void PutKeyRecord(std::vector<std::uint8_t>& entry, int key, const TKeyRecord& record, std::optional<int> forcedType)
{
    if (entry.size() < kModuleHead)
        entry.resize(kModuleHead, 0);
    std::vector<TKeyRecord> records;
    for (std::size_t i = 0; i < KeyRecordCount(entry); ++i) {
        TKeyRecord r;
        std::copy_n(entry.begin() + static_cast<std::ptrdiff_t>(kKeyList.offset(i)), kKeyRecordSize, r.begin());
        if (r[0] != key)
            records.push_back(r);
    }
    if (!IsEmptyKeyRecord(record))
        records.push_back(record);
    if (forcedType)
        writeLE16(entry, 0, static_cast<std::uint16_t>(*forcedType));

    const int type = ModuleType(entry);
    const auto table = SharedKeyTableOf(type);
    const int reserved = table ? table->ReservedKey : -1;
    const int limit = ModuleKeyCount(type) + (type == 13 ? 5 : 0);
    std::vector<TKeyRecord> kept;
    std::array<bool, 256> seen{};
    for (const auto& r : records) {
        if (r[0] != reserved && (r[0] > limit || seen[r[0]]))
            continue;
        seen[r[0]] = true;
        kept.push_back(r);
    }
    entry.resize(kModuleHead);
    entry[5] = static_cast<std::uint8_t>(kept.size());
    for (const auto& r : kept)
        entry.insert(entry.end(), r.begin(), r.end());
}

} // namespace kvr::model

