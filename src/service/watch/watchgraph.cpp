#include "service/watch/watchgraph.h"

#include <cstdlib>

#include "gfx/canvas.h"
#include "service/watch/watchcontroller.h"

namespace kvr::service {

using namespace kvr::gfx;

void PaintWatchGraph(Canvas& C, int W, int H, int RowHeight, const std::vector<TWatch>& Watches)
{
    if (Watches.empty())
        return;
    C.pen() = Pen{};
    C.brush() = Brush{clWindow, BrushStyle::Solid};
    C.Rectangle(0, 0, W, H);
    C.pen().color = clWindow;
    C.MoveTo(W - 1, 0);
    C.LineTo(W - 1, H);

    C.brush().color = clBlack;
    for (std::size_t i = 0; i < Watches.size(); ++i) {
        const int y = static_cast<int>(i + 1) * RowHeight;
        C.pen().color = clBlack;
        C.MoveTo(0, y);
        C.LineTo(W, y);
        for (int j = 0; j < W / 3; ++j) {
            if (i == 0 && j % 10 == 0) {
                C.pen().color = clHotLight;
                C.MoveTo(3 * j, 0);
                C.LineTo(3 * j, H);
            }
            if (Watches[i].GetHistoryBit(j))
                C.FillRect({3 * j, y - 10, 3 * j + 3, y});
        }
    }
    C.brush().color = clWindow;
}

void PaintClearedGraph(Canvas& C, int W, int H, int FontHeight, int Rows)
{
    C.brush() = Brush{clWhite, BrushStyle::Solid};
    C.FillRect({0, 0, W, H});
    C.pen() = Pen{};
    const int step = std::abs(FontHeight) + 4;
    for (int j = 0; j < Rows; ++j) {
        C.MoveTo(0, step * j);
        C.LineTo(W, step * j);
    }
}

void DrawGraphCursor(Canvas& C, int X, int H)
{
    C.pen().mode = PenMode::NotXor;
    C.MoveTo(X, 0);
    C.LineTo(X, H);
    C.pen().mode = PenMode::Copy;
}

} // namespace kvr::service
