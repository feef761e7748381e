#pragma once
// The project information record (project entry 4, numbers little-endian) and the parts of a
// device-ID change that live in the records of this layer.

#include <cstdint>
#include <span>
#include <vector>

namespace kvr::model {

class TDevice;
class TProject;

inline constexpr std::size_t kProjectInfoMaxSize = 172; // 12 + 8 x 20

// True and at most 172 bytes of the record; false (out unchanged) when the project has none.
bool GetProjectInfo(const TProject& project, std::vector<std::uint8_t>& out);
// Writes 12 + 8 x n bytes, n (bytes 8-11) cut to the 20 entries the record can hold and to the
// entries the given bytes carry.
void SetProjectInfo(TProject& project, std::span<const std::uint8_t> record);

// In one device: global-resource masters, default owners and subscribers, and the global pool's
// line source device, that name the old ID name the new one. The pool keeps its lines.
void ChangeDeviceIDInRecords(TDevice& dev, std::uint32_t oldId, std::uint32_t newId);

} // namespace kvr::model
