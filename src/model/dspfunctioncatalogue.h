#pragma once
// The DSP functions that fixed processings, fader chains and the fitting use.

#include <array>
#include <cstdint>

namespace kvr::model {

struct TDSPFunctionInfo {
    std::uint8_t Code = 0;
    std::uint8_t BaseCode = 0; // the DSP program that carries the function; same base, shared code memory
    std::array<char, 34> Name{};
    std::int32_t PM32 = 0;
    std::int32_t DM32 = 0;
    std::int32_t PM48 = 0;
    std::int32_t Cycles = 0;
    std::int32_t Icon = 0;
    std::int32_t MaxInChain = 0;
    std::int32_t Functions = 0;
    std::int32_t Channels = 0;
    std::int32_t ParamCount = 0;
    std::array<std::uint32_t, 10> DefaultParams{};
};

inline constexpr int DSPFunctionCount = 24;

// 1 and the entry of the code; 0 and a zeroed entry named "unknown".
int GetDSPFunctionInfo(int code, TDSPFunctionInfo& out);

} // namespace kvr::model
