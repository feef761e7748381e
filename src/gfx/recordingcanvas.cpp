#include "gfx/recordingcanvas.h"

#include <algorithm>
#include <ostream>

namespace kvr::gfx {

namespace {

constexpr int tableEm = 11;

int emOf(const Font& font)
{
    if (font.height < 0)
        return -font.height;
    if (font.height > 0)
        return std::max(1, font.height * tableEm / 13);
    return tableEm;
}

int scaled(int value, int em)
{
    return std::max(1, value * em / tableEm);
}

int tableAdvance(char c)
{
    switch (c) {
    case '.': case ',': case ':': case ';': case '\'': case '!': case '|':
    case 'i': case 'I': case 'l': case 'j': case ' ':
        return 3;
    case 'M': case 'W': case 'm': case 'w': case '@': case '%':
        return 9;
    default:
        return 6;
    }
}

} // namespace

const char* opKindName(OpKind kind)
{
    switch (kind) {
    case OpKind::Line: return "Line";
    case OpKind::Rectangle: return "Rectangle";
    case OpKind::FillRect: return "FillRect";
    case OpKind::Ellipse: return "Ellipse";
    case OpKind::RoundRect: return "RoundRect";
    case OpKind::Arc: return "Arc";
    case OpKind::Pie: return "Pie";
    case OpKind::Polygon: return "Polygon";
    case OpKind::Polyline: return "Polyline";
    case OpKind::Text: return "Text";
    case OpKind::TextRect: return "TextRect";
    case OpKind::FocusRect: return "FocusRect";
    case OpKind::Draw: return "Draw";
    case OpKind::StretchDraw: return "StretchDraw";
    case OpKind::Pixel: return "Pixel";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& os, const Op& op)
{
    os << opKindName(op.kind) << " rect(" << op.rect.left << ',' << op.rect.top << ',' << op.rect.right
       << ',' << op.rect.bottom << ") points[";
    for (const Point& p : op.points)
        os << '(' << p.x << ',' << p.y << ')';
    os << ']';
    if (!op.text.empty())
        os << " text \"" << op.text << '"';
    os << std::hex << " pen 0x" << op.pen.color << " brush 0x" << op.brush.color << std::dec << " width "
       << op.pen.width;
    return os;
}

void PrintTo(const Op& op, std::ostream* os)
{
    *os << op;
}

int RecordingCanvas::TextWidth(std::string_view text)
{
    const int em = emOf(font());
    int width = 0;
    for (const char c : text)
        width += scaled(tableAdvance(c), em);
    return width;
}

int RecordingCanvas::TextHeight(std::string_view)
{
    return scaled(13, emOf(font()));
}

std::vector<Op> RecordingCanvas::ofKind(OpKind kind) const
{
    std::vector<Op> result;
    std::copy_if(ops_.begin(), ops_.end(), std::back_inserter(result), [kind](const Op& op) { return op.kind == kind; });
    return result;
}

std::vector<std::string> RecordingCanvas::texts() const
{
    std::vector<std::string> result;
    for (const Op& op : ops_) {
        if (op.kind == OpKind::Text || op.kind == OpKind::TextRect)
            result.push_back(op.text);
    }
    return result;
}

Op& RecordingCanvas::record(OpKind kind)
{
    Op& op = ops_.emplace_back();
    op.kind = kind;
    op.pen = pen();
    op.brush = brush();
    op.font = font();
    op.backgroundMode = backgroundMode();
    return op;
}

void RecordingCanvas::doLine(Point from, Point to)
{
    record(OpKind::Line).points = {from, to};
}

void RecordingCanvas::doRectangle(const Rect& r)
{
    record(OpKind::Rectangle).rect = r;
}

void RecordingCanvas::doFillRect(const Rect& r)
{
    record(OpKind::FillRect).rect = r;
}

void RecordingCanvas::doEllipse(const Rect& r)
{
    record(OpKind::Ellipse).rect = r;
}

void RecordingCanvas::doRoundRect(const Rect& r, int w, int h)
{
    Op& op = record(OpKind::RoundRect);
    op.rect = r;
    op.points = {{w, h}};
}

void RecordingCanvas::doArc(const Rect& r, Point start, Point end, bool pie)
{
    Op& op = record(pie ? OpKind::Pie : OpKind::Arc);
    op.rect = r;
    op.points = {start, end};
}

void RecordingCanvas::doPolygon(const std::vector<Point>& points)
{
    record(OpKind::Polygon).points = points;
}

void RecordingCanvas::doPolyline(const std::vector<Point>& points)
{
    record(OpKind::Polyline).points = points;
}

void RecordingCanvas::doTextOut(int x, int y, std::string_view text)
{
    Op& op = record(OpKind::Text);
    op.points = {{x, y}};
    op.text = std::string(text);
}

void RecordingCanvas::doTextRect(const Rect& r, int x, int y, std::string_view text)
{
    Op& op = record(OpKind::TextRect);
    op.rect = r;
    op.points = {{x, y}};
    op.text = std::string(text);
}

void RecordingCanvas::doFocusRect(const Rect& r)
{
    record(OpKind::FocusRect).rect = r;
}

void RecordingCanvas::doDraw(int x, int y, const QImage& picture)
{
    Op& op = record(OpKind::Draw);
    op.points = {{x, y}};
    op.imageSize = picture.size();
}

void RecordingCanvas::doStretchDraw(const Rect& r, const QImage& picture)
{
    Op& op = record(OpKind::StretchDraw);
    op.rect = r;
    op.imageSize = picture.size();
}

void RecordingCanvas::doPixel(int x, int y, Color color)
{
    Op& op = record(OpKind::Pixel);
    op.points = {{x, y}};
    op.color = color;
}

} // namespace kvr::gfx
