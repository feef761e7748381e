#pragma once
// A ruled table of text rows under a column head, page after page: the global logic table and
// the output routing list are printed with it.

#include <array>
#include <string>
#include <vector>

#include "reports/pageframe.h"

namespace kvr::reports {

// One row: the texts of the four titled columns.
using TRow = std::array<std::string, 4>;

struct RuledColumns {
    // Left positions in units of u; the fifth is the table's right end.
    std::array<int, 5> Left;
    std::array<const char*, 4> Title;
};

inline constexpr RuledColumns GlobalLogicColumns{{200, 400, 600, 900, 1500}, {"#", "Name", "Source Device", "Source Logic"}};
inline constexpr RuledColumns OutputRoutingColumns{{200, 700, 900, 1200, 1800},
                                                   {"Output Name", "Output Address", "Source", "Mute Logics"}};

// The row height: Arial at 10 points in the printer's pixels.
int RuledRowHeight(int Resolution);

// Draws the rows into the open job, with a page head (page frame, column titles) before the
// first row and after every page break; a page breaks when its rows pass 250 u above the bottom.
// DeviceIndex names the device in the title block, negative for the project.
void PrintRuledTable(PageFrame& Frame, const RuledColumns& Columns, const std::string& PageTitle, int DeviceIndex,
                     const std::vector<TRow>& Rows);

} // namespace kvr::reports
