#pragma once
// Rows of the configuration check list ("Operation not allowed"): one per limit violation of
// every device, with the problem and a proposed remedy.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvr::app {

// One violation as the data model reports it.
struct ConfigViolation {
    std::uint8_t Kind = 0;
    std::uint8_t SubKind = 0;
    std::uint8_t Index = 0;
};

struct CheckListRow {
    std::string Device;
    std::string Problem;
    std::string Solution;
    bool operator==(const CheckListRow&) const = default;
};

// At most this many violations are taken per device.
inline constexpr int MaxViolationsPerDevice = 100;

// Problem and remedy of one violation of a device. FixedProcessingLabel gives the label of a
// fixed processing by its index (the first 10 characters are shown).
CheckListRow CheckListRowFor(const std::string& DeviceName, const ConfigViolation& Violation,
                             const std::function<std::string(int)>& FixedProcessingLabel);

} // namespace kvr::app
