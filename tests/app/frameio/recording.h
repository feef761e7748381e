#pragma once
// Lookups in a recorded drawing of the frame I/O table.

#include <algorithm>
#include <optional>
#include <string>

#include "gfx/recordingcanvas.h"
#include "model/slottablecolumns.h"

namespace kvr::app::frameio::test {

using gfx::Op;
using gfx::OpKind;
using gfx::RecordingCanvas;

inline std::optional<Op> TextAt(const RecordingCanvas& c, int x, int y)
{
    for (const Op& op : c.ops())
        if ((op.kind == OpKind::Text || op.kind == OpKind::TextRect) && op.points[0] == gfx::Point{x, y})
            return op;
    return std::nullopt;
}

// The text drawn last at (x, y), "" when none.
inline std::string TextOn(const RecordingCanvas& c, int x, int y)
{
    std::string last;
    bool found = false;
    for (const Op& op : c.ops())
        if ((op.kind == OpKind::Text || op.kind == OpKind::TextRect) && op.points[0] == gfx::Point{x, y}) {
            last = op.text;
            found = true;
        }
    return found ? last : "<none>";
}

// A text "at column c" of a row.
inline std::string ColumnText(const RecordingCanvas& c, int column, int rowTop)
{
    return TextOn(c, model::SlotColumnX(column) + 5, rowTop + 2);
}

inline bool HasText(const RecordingCanvas& c, const std::string& text)
{
    const auto all = c.texts();
    return std::find(all.begin(), all.end(), text) != all.end();
}

inline bool HasLine(const RecordingCanvas& c, gfx::Point from, gfx::Point to, gfx::Color color)
{
    return std::any_of(c.ops().begin(), c.ops().end(), [&](const Op& op) {
        return op.kind == OpKind::Line && op.points[0] == from && op.points[1] == to && op.pen.color == color;
    });
}

inline std::optional<Op> RectangleAt(const RecordingCanvas& c, gfx::Rect r)
{
    for (const Op& op : c.ops())
        if (op.kind == OpKind::Rectangle && op.rect == r)
            return op;
    return std::nullopt;
}

// The first white line of a drop-down cell's frame over columns first-end at top.
inline bool HasDropDown(const RecordingCanvas& c, int first, int end, int top)
{
    const int x0 = first >= 0 ? model::SlotColumnX(first) + 1 : model::SlotColumnX(-first) + 5;
    const int x1 = model::SlotColumnX(end);
    const bool frame = HasLine(c, {x0, top + 16}, {x0, top + 1}, 0xFFFFFF) && HasLine(c, {x0, top + 1}, {x1, top + 1}, 0xFFFFFF);
    const bool arrow = RectangleAt(c, {x1 - 7, top + 4, x1 - 3, top + 9}).has_value();
    return frame && arrow == (first >= 0);
}

inline bool HasEditCell(const RecordingCanvas& c, int column, int top)
{
    const int x = model::SlotColumnX(column);
    return HasLine(c, {x + 1, top + 16}, {x + 1, top + 1}, 0x808080);
}

} // namespace kvr::app::frameio::test
