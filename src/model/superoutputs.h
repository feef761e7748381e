#pragma once
// Group logic (structure 30), user groups (31), global resources (32) and super output
// functions (33).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/recordsupport.h"
#include "model/sourceids.h"

namespace kvr::model {

class TDevice;
class TProject;

inline constexpr std::uint16_t kSOFSourceBase = 17664;

// SOF records of structure 33: from byte 2, each starting with its own 16-bit length. A length
// below 2 or past the end ends the walk.
std::vector<RecordSpan> WalkSOFs(std::span<const std::uint8_t> payload);

} // namespace kvr::model
