#pragma once
// The card lists of a DSP frame: audio, MADI and GPIO channels as ruled tables, one band of rows
// per card slot, ten slots to a page group. One page-and-slot loop serves all three.

#include <array>
#include <string_view>

namespace kvr::reports {

class PageFrame;

struct ListColumn {
    int X; // in units of u
    std::string_view Title; // "upper_lower"
};
// The last column is the table's right edge.
extern const std::array<ListColumn, 13> ListColumns;

enum class ListHeaderKind { Audio = 0, Control = 1 };

// The list header of a page: project, device, slots, column titles and their rules.
void DrawListHeader(PageFrame& Frame, int FirstSlot, int RowHeight, ListHeaderKind Kind);
// The 13 column rules from row From to row To.
void DrawColumnRules(PageFrame& Frame, int From, int To, int RowHeight);

// The sections of the print run; each prints nothing when the frame has nothing to list.
void PrintAudioList(PageFrame& Frame);
void PrintMADIList(PageFrame& Frame);
void PrintGPIOList(PageFrame& Frame);

} // namespace kvr::reports
