#pragma once
// Level and pot of an output-function row's two sources. The model keeps the row's last four
// bytes as stored; here they are level 1, level 2 (signed dB, -100 = off), pot 1 and pot 2
// (0 = none, 1-154 a pot of the device, 155 and up global pot - 154).

#include <cstdint>

#include "model/outputfunctions.h"

namespace kvr::editors {

inline constexpr int kLevelOff = -100;
inline constexpr int kFirstGlobalPotOfRow = 155;

struct OutFktLevel {
    int Level = 0;
    int Pot = 0;
};

// N is 1 or 2.
inline OutFktLevel LevelOf(const model::TOutFktCondition& Row, int N)
{
    const std::size_t n = N == 1 ? 0 : 1;
    return {static_cast<std::int8_t>(Row.Tail[n]), Row.Tail[2 + n]};
}

inline void SetLevelOf(model::TOutFktCondition& Row, int N, OutFktLevel Value)
{
    const std::size_t n = N == 1 ? 0 : 1;
    Row.Tail[n] = static_cast<std::uint8_t>(Value.Level & 0xFF);
    Row.Tail[2 + n] = static_cast<std::uint8_t>(Value.Pot & 0xFF);
}

} // namespace kvr::editors
