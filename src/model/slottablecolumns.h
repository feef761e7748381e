#pragma once
// Columns of the frame I/O table: the x where each column starts and its caption. The page's
// header and the frame I/O CSV export share it. A caption with "_" is printed on two lines.

#include <array>
#include <string_view>

namespace kvr::model {

struct TSlotTableColumn {
    int x;
    std::string_view Caption;
};

inline constexpr std::array<TSlotTableColumn, 13> SlotTableColumns = {{
    {0, "#"},
    {20, "Type"},
    {140, "Input_Address"},
    {210, "Output_Address"},
    {280, "Mono_Stereo"},
    {330, "Label"},
    {450, "Level Adjust"},
    {585, "SRC"},
    {635, "Mode"},
    {710, "Output_Mode"},
    {780, "Output_Dither"},
    {830, "GPI Pull Up"},
    {904, ""},
}};

// Column indices by their content.
enum TSlotColumn : int {
    scNumber = 0, scType, scInputAddress, scOutputAddress, scMonoStereo, scLabel, scLevelAdjust, scSRC, scMode,
    scOutputMode, scOutputDither, scGPIPullUp, scEnd
};

// The x of a column; 0 outside the table.
constexpr int SlotColumnX(int column)
{
    return column >= 0 && column < static_cast<int>(SlotTableColumns.size())
               ? SlotTableColumns[static_cast<std::size_t>(column)].x
               : 0;
}

} // namespace kvr::model
