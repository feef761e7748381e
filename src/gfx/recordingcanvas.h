#pragma once
// A canvas that draws nothing and records every primitive with its coordinates and the state it
// was drawn with, so painter tests pin exact output without fonts or pixels.
//
// Text metrics come from a fixed table at an em of 11 pixels (the 8-point default at 96 dpi),
// scaled to the font's em: '.', ',', ':', ';', '\'', '!', '|', 'i', 'I', 'l', 'j' and blank are
// 3 wide, 'M', 'W', 'm', 'w', '@', '%' are 9 wide, every other character 6; the cell is 13 high,
// 10 of it ascent. A negative height is the em; a positive height is the cell (em = height x
// 11 / 13); 0 is the default em of 11. Every scaled value truncates, and is at least 1.

#include "gfx/canvas.h"

#include <QSize>

#include <iosfwd>
#include <string>
#include <vector>

namespace kvr::gfx {

enum class OpKind {
    Line,        // points: from, to (the end pixel is left out when drawn)
    Rectangle,   // rect
    FillRect,    // rect
    Ellipse,     // rect
    RoundRect,   // rect; points[0]: corner ellipse (w, h)
    Arc,         // rect; points: start radial, end radial
    Pie,         // rect; points: start radial, end radial
    Polygon,     // points
    Polyline,    // points
    Text,        // points[0]: top-left; text
    TextRect,    // rect: clip; points[0]: top-left; text
    FocusRect,   // rect
    Draw,        // points[0]: top-left; imageSize
    StretchDraw, // rect; imageSize
    Pixel,       // points[0]; color
};

struct Op {
    OpKind kind = OpKind::Line;
    Rect rect;
    std::vector<Point> points;
    std::string text;
    Color color = 0;
    QSize imageSize;
    Pen pen;
    Brush brush;
    Font font;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
};

const char* opKindName(OpKind kind);
std::ostream& operator<<(std::ostream& os, const Op& op);
// Also picked up by GoogleTest to print an Op.
void PrintTo(const Op& op, std::ostream* os);

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(int pixelsPerInch = 96) : pixelsPerInch_(pixelsPerInch) {}

    int pixelsPerInch() const override { return pixelsPerInch_; }
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    const std::vector<Op>& ops() const { return ops_; }
    std::vector<Op> ofKind(OpKind kind) const;
    // The texts of Text and TextRect ops, in drawing order.
    std::vector<std::string> texts() const;
    void clear() { ops_.clear(); }

protected:
    void doLine(Point from, Point to) override;
    void doRectangle(const Rect& r) override;
    void doFillRect(const Rect& r) override;
    void doEllipse(const Rect& r) override;
    void doRoundRect(const Rect& r, int w, int h) override;
    void doArc(const Rect& r, Point start, Point end, bool pie) override;
    void doPolygon(const std::vector<Point>& points) override;
    void doPolyline(const std::vector<Point>& points) override;
    void doTextOut(int x, int y, std::string_view text) override;
    void doTextRect(const Rect& r, int x, int y, std::string_view text) override;
    void doFocusRect(const Rect& r) override;
    void doDraw(int x, int y, const QImage& picture) override;
    void doStretchDraw(const Rect& r, const QImage& picture) override;
    void doPixel(int x, int y, Color color) override;

private:
    Op& record(OpKind kind);

    int pixelsPerInch_;
    std::vector<Op> ops_;
};

} // namespace kvr::gfx
