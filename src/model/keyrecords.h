#pragma once
// Console module entries and their 42-byte key-function records, as far as the project-wide
// device-ID bookkeeping walks them.

#include "model/keyrecordview.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace kvr::model {

class TDevice;

namespace kr {
inline constexpr std::size_t ModuleType = 0; // 16 bits, little-endian
inline constexpr std::size_t ModuleNumber = 4;
inline constexpr std::size_t RecordCount = 5;
inline constexpr std::size_t FirstRecord = 6;
// The key record's own fields, under the names the device-ID walks use.
inline constexpr std::size_t RecordSize = kKeyRecordSize;
inline constexpr std::size_t Key = kf::Key;
inline constexpr std::size_t Label = kf::Text;
inline constexpr std::size_t Kind = kf::Function;
inline constexpr std::size_t Params = kf::SubFunction;
inline constexpr std::size_t DeviceID = kf::Param1; // 32 bits, big-endian
inline constexpr std::uint8_t KindDeviceKey = 13;
inline constexpr std::uint8_t KindGlobalResource = 14;
} // namespace kr

// The 108 console module slot IDs, 100 + 10 x row + position (rows 0-11, positions 0-8), in order.
void ForEachModuleSlot(const std::function<void(std::uint8_t)>& visit);

// Module types that carry their own key records (no shared key table).
bool HasOwnKeyRecords(int moduleType);

// Hands each own key record of the module in the slot to change; the entry is written back when
// change reported a change for any record.
void UpdateOwnKeyRecords(TDevice& device, std::uint8_t slotId, const std::function<bool(std::span<std::uint8_t>)>& change);
// The same for every module type that has no shared key table (all but 20, 21, 23, 28 and 29):
// the clean-ups of references that a replaced image or a changed pool leaves behind.
void UpdateUnsharedKeyRecords(TDevice& device, std::uint8_t slotId, const std::function<bool(std::span<std::uint8_t>)>& change);

} // namespace kvr::model
