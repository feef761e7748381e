#include "controls/gridrules.h"

#include <cmath>

namespace kvr::controls {

namespace {

constexpr int scrollSteps = 127;

int fixedExtent(const GridAxis& axis)
{
    int f = axis.lineWidth;
    for (int i = 0; i < axis.fixedCount && i < static_cast<int>(axis.sizes.size()); ++i)
        f += axis.sizes[static_cast<std::size_t>(i)] + axis.lineWidth;
    return f;
}

} // namespace

int maxFirstScrolled(const GridAxis& axis, int client)
{
    const int count = static_cast<int>(axis.sizes.size());
    if (count <= axis.fixedCount)
        return axis.fixedCount;
    const auto step = [&](int i) { return axis.sizes[static_cast<std::size_t>(i)] + axis.lineWidth; };
    const int room = client - fixedExtent(axis);
    int first = count - 1;
    int used = step(first);
    while (first - 1 >= axis.fixedCount && used + step(first - 1) <= room) {
        used += step(first - 1);
        --first;
    }
    return first;
}

int visibleScrolled(const GridAxis& axis, int client)
{
    int room = client - fixedExtent(axis);
    int shown = 0;
    for (int i = axis.firstScrolled; i < static_cast<int>(axis.sizes.size()); ++i) {
        room -= axis.sizes[static_cast<std::size_t>(i)] + axis.lineWidth;
        if (room < 0)
            break;
        ++shown;
    }
    return std::max(1, shown);
}

ScrollBarInfo plainScrollBar(const GridAxis& axis, int client)
{
    const int maxFirst = maxFirstScrolled(axis, client);
    if (maxFirst <= axis.fixedCount)
        return {0, 0, 0, 0};
    const long long done = static_cast<long long>(axis.firstScrolled - axis.fixedCount) * scrollSteps;
    return {0, scrollSteps, 0, static_cast<int>(done / (maxFirst - axis.fixedCount))};
}

std::optional<ScrollBarInfo> proportionalScrollBar(const ScrollBarInfo& current, const GridAxis& axis, bool proportional)
{
    const int lw = axis.lineWidth;
    const int count = static_cast<int>(axis.sizes.size());
    const int f = fixedExtent(axis);
    int s = lw;
    int t = lw;
    for (int i = axis.fixedCount; i < count; ++i) {
        const int step = axis.sizes[static_cast<std::size_t>(i)] + lw;
        t += step;
        if (i < axis.firstScrolled)
            s += step;
    }
    // Nothing to scroll over: a grid without rows and lines would divide by zero.
    if (t <= 0)
        return std::nullopt;
    const float r = static_cast<float>(axis.extent - f) / static_cast<float>(t);
    if (static_cast<double>(r) >= 0.9999)
        return std::nullopt;
    ScrollBarInfo bar = current;
    if (!proportional) {
        bar.max = scrollSteps;
        bar.page = 0;
        return bar;
    }
    const double q = (scrollSteps + static_cast<double>(r)) / (1.0 - static_cast<double>(r));
    const double p = axis.extent < t ? static_cast<double>(s) / (t - axis.extent) * 128.0 : 0.0;
    bar.max = static_cast<int>(q);
    bar.page = static_cast<int>(bar.max - scrollSteps + 1);
    bar.pos = static_cast<int>(p);
    return bar;
}

CellLook cellLook(const CellPlace& cell, const TKVRGridOptions& options, gfx::Color color, gfx::Color fixedColor,
                  gfx::Color fontColor)
{
    CellLook look;
    look.text = fontColor;
    if ((cell.state & gdFixed) != 0) {
        look.highlighted = (options.count(dgoHighlightFixedRow) != 0 && cell.row == cell.currentRow) ||
                           (options.count(dgoHighlightFixedCol) != 0 && cell.col == cell.currentCol);
        if (!look.highlighted) {
            look.brush = fixedColor;
            look.pen = color;
        }
    } else if ((cell.state & gdSelected) != 0) {
        look.highlighted = true;
    } else {
        look.brush = color;
        look.pen = fixedColor;
    }
    if (look.highlighted) {
        look.brush = gfx::clHighlight;
        look.text = gfx::clHighlightText;
    }
    return look;
}

void drawGridCell(gfx::Canvas& canvas, const gfx::Rect& rect, const std::string& text, const CellLook& look,
                  const gfx::Font& font, bool focused)
{
    canvas.brush() = {look.brush, gfx::BrushStyle::Solid};
    if (look.pen)
        canvas.pen().color = *look.pen;
    canvas.FillRect(rect);
    if (!text.empty()) {
        canvas.font() = font;
        canvas.font().color = look.text;
        canvas.TextRect(rect, rect.left + 2, rect.top + 2, text);
    }
    canvas.MoveTo(rect.left, rect.bottom - 1);
    canvas.LineTo(rect.right - 1, rect.bottom - 1);
    canvas.LineTo(rect.right - 1, rect.top - 1);
    if (focused)
        canvas.DrawFocusRect(rect);
}

} // namespace kvr::controls
