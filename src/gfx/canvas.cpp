#include "gfx/canvas.h"

#include <cstdlib>

namespace kvr::gfx {

namespace {

// Windows' MulDiv: a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const long long p = static_cast<long long>(a) * b;
    const long long q = (std::llabs(p) * 2 + std::llabs(c)) / (2 * std::llabs(c));
    return static_cast<int>(((p < 0) != (c < 0)) ? -q : q);
}

} // namespace

int heightForPoints(int points, int pixelsPerInch)
{
    return -mulDiv(points, pixelsPerInch, 72);
}

int pointsForHeight(int height, int pixelsPerInch)
{
    return -mulDiv(height, 72, pixelsPerInch);
}

void Canvas::LineTo(int x, int y)
{
    doLine(penPos_, {x, y});
    penPos_ = {x, y};
}

void Canvas::TextOut(int x, int y, std::string_view text)
{
    doTextOut(x, y, text);
    penPos_ = {x + TextWidth(text), y};
}

} // namespace kvr::gfx
