#pragma once
// Key-function records of console module entries (setup IDs 100-218) and the shared key tables
// of fader-type modules (setup IDs 96-99). A module entry: bytes 0-1 module type (little-endian),
// 2-3 console editor, 4 module number, 5 record count, then 42-byte key-function records.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kvr::model {

inline constexpr std::size_t kModuleHead = 6;
inline constexpr std::size_t kKeyRecordSize = 42;
inline constexpr std::uint8_t kNoKey = 255;
using TKeyRecord = std::array<std::uint8_t, kKeyRecordSize>;

// Module type (little-endian word at 0-1), 0 for a short entry.
int ModuleType(std::span<const std::uint8_t> entry);
// Highest key number a module type carries; -1 for types that carry none.
int ModuleKeyCount(int moduleType);
// Key records of an entry; a count larger than the entry holds is clamped.
std::size_t KeyRecordCount(std::span<const std::uint8_t> entry);

// Bounded, non-owning view of a module entry: past the payload every head field reads 0 and no
// key record is read.
class ModuleEntryView {
public:
    explicit ModuleEntryView(std::span<const std::uint8_t> entry) : FEntry(entry) {}
    int Type() const { return ModuleType(FEntry); }
    // Byte 2: the fader's 0 dB mark (0x80), an inverted fader (0x40), the display mode (bits 0-3).
    int Options() const { return Byte(2); }
    bool ZeroDb() const { return (Options() & 0x80) != 0; }
    bool InvertFader() const { return (Options() & 0x40) != 0; }
    int DisplayMode() const { return Options() & 0x0F; }
    int AccessGroup() const { return Byte(3); } // shown as 1-4
    int ModuleNumber() const { return Byte(4); }
    int RecordCountByte() const { return Byte(5); }
    std::size_t KeyRecords() const { return KeyRecordCount(FEntry); }
    // Key record i of those KeyRecords() counts.
    std::span<const std::uint8_t, kKeyRecordSize> KeyRecord(std::size_t i) const
    {
        return FEntry.subspan(kModuleHead + i * kKeyRecordSize).first<kKeyRecordSize>();
    }

private:
    int Byte(std::size_t at) const { return at < FEntry.size() ? FEntry[at] : 0; }
    std::span<const std::uint8_t> FEntry;
};

// Writers of a module entry's head; fields past the payload are left alone.
class ModuleEntryWriter {
public:
    explicit ModuleEntryWriter(std::vector<std::uint8_t>& entry) : FEntry(entry) {}
    void SetType(int type)
    {
        Put(0, type & 0xFF);
        Put(1, type >> 8);
    }
    void SetOptions(int options) { Put(2, options); }
    void SetAccessGroup(int group) { Put(3, group); }
    void SetModuleNumber(int number) { Put(4, number); }
    void SetRecordCount(int count) { Put(5, count); }

private:
    void Put(std::size_t at, int value)
    {
        if (at < FEntry.size())
            FEntry[at] = static_cast<std::uint8_t>(value);
    }
    std::vector<std::uint8_t>& FEntry;
};

struct TSharedKeyTable {
    std::uint8_t SetupID;
    int TableType;
    int Modulo;
    int ReservedKey; // -1: none
};
// The shared table of a fader-type module type.
std::optional<TSharedKeyTable> SharedKeyTableOf(int moduleType);
// The key within the shared table (a reserved key stays itself).
int FoldKey(const TSharedKeyTable& table, int key);

bool IsEmptyKeyRecord(std::span<const std::uint8_t, kKeyRecordSize> record);
// The first record of the entry whose byte 0 is key.
std::optional<TKeyRecord> FindKeyRecord(std::span<const std::uint8_t> entry, int key);

// Removes the records of key, appends record when it is not empty, forces the module type of a
// shared table, and cleans the records (dropping keys above the type's key count and repeats).
// An absent entry (empty payload) starts as the 6-byte head.
void PutKeyRecord(std::vector<std::uint8_t>& entry, int key, const TKeyRecord& record, std::optional<int> forcedType);

} // namespace kvr::model
