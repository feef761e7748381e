#pragma once
// The three resource gauges of the main window ("Summing Buses", "Output Functions",
// "DSP Processing") as plain state computed from the fitting counters of the selected device.

#include <array>
#include <cstdint>
#include <optional>

namespace kvr::app {

// Windows colour values (0x00BBGGRR), as the main window has always used them.
inline constexpr std::uint32_t clGray = 0x808080;
inline constexpr std::uint32_t clSilver = 0xC0C0C0;
inline constexpr std::uint32_t clWhite = 0xFFFFFF;
inline constexpr std::uint32_t clNavy = 0x800000;
inline constexpr std::uint32_t clRed = 0x0000FF;

// What the fitting leaves in a device.
struct DeviceResources {
    int BusCount = 0, BusLimit = 0;
    int OutFktCount = 0, OutFktLimit = 0;
    int SOFCount = 0, SOFLimit = 0;
    int DSPCyclesUsed = 0, DSPCycles = 0;
};

struct GaugeState {
    std::uint32_t ForeColor = clGray;
    std::uint32_t BackColor = clSilver;
    int MaxValue = 100;
    int Progress = 0;
    bool LabelEnabled = false;
    bool operator==(const GaugeState&) const = default;
};

using Gauges = std::array<GaugeState, 3>;

// No device (the project root) or a fixed-model device: grey on silver, labels disabled, maximum
// and progress as they were. Otherwise white background, navy bars that turn red over capacity.
Gauges UpdateGauges(const Gauges& Previous, const std::optional<DeviceResources>& Device);

} // namespace kvr::app
