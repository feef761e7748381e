#include "gfx/drawscrew.h"

namespace kvr::gfx {

void DrawScrew(int X, int Y, float Scale, Canvas& canvas, bool /*Slotted*/)
{
    // The products are taken in double: a single-precision product rounds 25 x 0.12 up to 3.
    const int r = static_cast<int>(25.0 * static_cast<double>(Scale));
    canvas.Ellipse(X - r, Y - r, X + r + 1, Y + r + 1);
    const int e = static_cast<int>(15.0 * static_cast<double>(Scale));
    canvas.MoveTo(X - e, Y);
    canvas.LineTo(X + e + 1, Y);
    canvas.MoveTo(X, Y - e);
    canvas.LineTo(X, Y + e + 1);
}

} // namespace kvr::gfx
