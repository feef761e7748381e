#pragma once
// The draw grid's rules without a widget: scroll-bar values with proportional thumbs, the colours
// of a cell and how a cell is drawn.

#include "gfx/canvas.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kvr::controls {

enum TKVRGridOption { dgoHighlightFixedRow, dgoHighlightFixedCol, dgoCenterCellEdit, dgoProportionalScroll };
using TKVRGridOptions = std::set<TKVRGridOption>;

// Draw state of a cell, as bits.
enum TGridDrawState : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

// A scroll bar with the Windows meaning: the thumb is `page` long in min..max, so the position
// runs from min to max - page + 1 (to max when page is 0).
struct ScrollBarInfo {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    friend bool operator==(const ScrollBarInfo&, const ScrollBarInfo&) = default;
};

// One direction of the grid: rows (heights, fixed rows, top row, control height) or columns.
struct GridAxis {
    int lineWidth = 1;
    std::vector<int> sizes;
    int fixedCount = 0;
    int firstScrolled = 0; // the top row or left column
    int extent = 0;        // the control's height or width
};

// The largest first row (column) that still shows the last one whole in `client` pixels.
int maxFirstScrolled(const GridAxis& axis, int client);
// How many scrolled rows (columns) from the first one show whole in `client` pixels, at least 1.
int visibleScrolled(const GridAxis& axis, int client);
// The grid's own bar: hidden (0..0) when everything fits, else 0..127 with the position in
// proportion to the first scrolled row.
ScrollBarInfo plainScrollBar(const GridAxis& axis, int client);
// The bar with thumbs in proportion to the visible share, from the bar as read. None: leave the
// bar as it is (everything fits, visible share 0.9999 or more).
std::optional<ScrollBarInfo> proportionalScrollBar(const ScrollBarInfo& current, const GridAxis& axis, bool proportional);

struct CellLook {
    bool highlighted = false;
    gfx::Color brush = gfx::clWindow;
    std::optional<gfx::Color> pen; // none: the pen stays as it is
    gfx::Color text = gfx::clWindowText;
};

struct CellPlace {
    int col = 0;
    int row = 0;
    int currentCol = 0;
    int currentRow = 0;
    unsigned state = 0; // TGridDrawState bits
};

CellLook cellLook(const CellPlace& cell, const TKVRGridOptions& options, gfx::Color color, gfx::Color fixedColor,
                  gfx::Color fontColor);
// Fill, the text clipped at (left + 2, top + 2), the bottom and right edges, the focus frame.
void drawGridCell(gfx::Canvas& canvas, const gfx::Rect& rect, const std::string& text, const CellLook& look,
                  const gfx::Font& font, bool focused);

} // namespace kvr::controls
