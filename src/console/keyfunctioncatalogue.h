#pragma once
// The catalogues a key's function is chosen from: one for key modules, one for fader modules
// and fader overbridges. Each is the function list followed by the subfunction lists, every
// list closed by an end row. Records store the rows' values, never their positions.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kvr::console {

inline constexpr std::uint8_t kEndRowValue = 255;
inline constexpr std::uint8_t kNoSubList = 255;

enum ExtraEditor : std::uint8_t {
    eeNone = 0,
    eeAudioSourceFilter = 1,
    eeTalkback = 2,
    eeResourceDestination = 3,
    eeInsertSelection = 4,
    eeEncoderSet = 5,
};

struct TKeyFunctionDef {
    std::uint16_t Identifier = 0; // below 32 on function rows; a sub-list is named by its first row's
    std::string_view Caption;
    std::uint8_t Value = 0;       // written to byte 31 or 32 (and 36-40 for encoders); 255 ends a list
    std::uint8_t SubList = kNoSubList;
    std::array<std::string_view, 5> Options{}; // captions of the five option boxes; empty = hidden
    std::string_view SpinCaption;               // empty = no value spin
    std::uint16_t SpinMin = 0;
    std::uint16_t SpinMax = 0;
    bool LeftSource = false;
    bool RightSource = false;
    bool ConditionSource = false;
    bool LampSources = false;
    std::uint8_t ExclusivePair = 0; // 1: options 1 and 2, 2: options 4 and 5
    std::uint8_t Extra = eeNone;

    bool IsEndRow() const { return Value == kEndRowValue && Caption.empty(); }
};

std::span<const TKeyFunctionDef> ConsoleKeyFunctions();
std::span<const TKeyFunctionDef> FaderKeyFunctions();
// The catalogue a module type's keys use: fader modules and overbridges get the fader one.
std::span<const TKeyFunctionDef> KeyFunctionsOf(int moduleType);

// The rows from the first up to (without) the first end row.
std::span<const TKeyFunctionDef> FunctionList(std::span<const TKeyFunctionDef> catalogue);
// The sub-list a function row names, up to its end row; empty for a row without one.
std::span<const TKeyFunctionDef> SubFunctionList(std::span<const TKeyFunctionDef> catalogue, const TKeyFunctionDef& row);
// Item of the stored function (record byte 31): the first row with that value, else item 0.
int FunctionItem(std::span<const TKeyFunctionDef> catalogue, std::uint8_t value);
// Item of the stored subfunction (record byte 32) within a sub-list: first row with the value,
// else item 0.
int SubFunctionItem(std::span<const TKeyFunctionDef> subList, std::uint8_t value);

// The encoder functions of the module options: the fader catalogue's rows with identifiers
// 100-169, in catalogue order.
std::span<const TKeyFunctionDef> EncoderFunctionList();
// The item a stored encoder value shows: the last row with that value, else item 0.
int EncoderItem(std::uint8_t value);

} // namespace kvr::console
