#pragma once
// The on/off graph of the watch window: one 3-pixel column per sample, one row per watch.

#include <vector>

namespace kvr::gfx {
class Canvas;
}

namespace kvr::service {

class TWatch;

// Paints the graph of a W x H picture whose rows are RowHeight apart (the list's row height):
// a framed background, per watch a baseline at (i + 1) x RowHeight and a 10-pixel block for every
// sample that is on; grid lines every 30 pixels. Nothing is painted without watches.
void PaintWatchGraph(gfx::Canvas& Canvas, int W, int H, int RowHeight, const std::vector<TWatch>& Watches);
// The picture after "Clear graph": white, with a line at (|FontHeight| + 4) x j for every row j.
void PaintClearedGraph(gfx::Canvas& Canvas, int W, int H, int FontHeight, int Rows);
// The cursor line at X, drawn not-XOR so a second call at the same X removes it.
void DrawGraphCursor(gfx::Canvas& Canvas, int X, int H);

} // namespace kvr::service
