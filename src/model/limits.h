#pragma once
// Configuration limits: the violation list that the configuration lock window shows while a
// device exceeds a limit.

#include <cstdint>
#include <vector>

#include "model/dspfit.h"

namespace kvr::model {

struct TConfigViolation {
    std::uint8_t Kind = 0;    // 1-7
    std::uint8_t SubKind = 0;
    std::uint8_t Index = 0;
    bool operator==(const TConfigViolation&) const = default;
};

// Builds the list for a device whose FLimitExceeded is exceeded. capacity limits only the
// unknown-function entries (the list then holds at most capacity + 2 entries, or 6 when
// capacity is smaller).
std::vector<TConfigViolation> ConfigViolations(std::uint32_t exceeded, const FittingInput& in,
                                               const TFitCatalogue& catalogue, int capacity);

} // namespace kvr::model
