#pragma once
// Firmware update files (".upd"): 16-byte records, each one control block of class 0x1960 (the
// ID's low part little-endian, Len, 8 data bytes); the last record carries the checksum of all
// other data bytes and, with Len 8, the firmware version.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kvrdata/kvrstruct.h"

namespace kvr::service {

inline constexpr std::size_t UpdateRecordSize = 16;
inline constexpr std::uint32_t UpdateBlockClass = 0x19600000;
inline constexpr std::uint32_t PanelChecksumOffset = 0x55AA;

enum TUpdateKind : int { ukUnknown = 0, ukDevice = 1, ukPanel = 2 };
// "unknown device", "KVR KX7300 device", "KVR Panel".
const char* UpdateKindName(int Kind);

struct TUpdateFile {
    std::vector<Kvrdata_ns::KVRCANBlock> Blocks; // every record, the trailer last
    std::uint32_t Sum = 0;
    std::uint32_t Checksum = 0;
    std::uint32_t Version = 0; // 0: could not be detected
    int Kind = ukUnknown;
};

// The file checked: nothing when it is shorter than one record, no multiple of 16 bytes long,
// or its checksum fits neither kind.
std::optional<TUpdateFile> ParseUpdateFile(std::span<const std::uint8_t> Bytes);

// The kind of device by the module type of its first module: none, unknown and monitor 0,
// below 30 a device, from 30 a panel.
int DeviceKindOfModuleType(int Type);

// "%02d.%02d.%02d.%02d" of the one version all modules report, "different versions", or
// "unknown" for 0, 0xFFFFFFFF or no module.
std::string ModuleVersionText(const std::vector<std::uint32_t>& Versions);

// The question before an update (its last sentence added by the caller).
std::string UpdateInfoText(int DeviceKind, const std::string& VersionText, int FileKind, std::uint32_t FileVersion);

} // namespace kvr::service
