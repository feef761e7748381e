#pragma once
// The drawing surface every painter uses, screen and printer alike. Coordinates are integer
// pixels with the Windows meaning: a figure's right and bottom edges are exclusive, a line leaves
// out its end pixel, text is placed by the top-left corner of its cell. Text is 8-bit
// Windows-1252 as the model stores it.

#include "gfx/color.h"

#include <QImage>

#include <string>
#include <string_view>
#include <vector>

namespace kvr::gfx {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle { Solid, Dash, Dot, Clear };
// Copy draws the pen colour; NotXor inverts the exclusive-or of pen and screen, so drawing the
// same figure twice restores the picture.
enum class PenMode { Copy, NotXor };
enum class BrushStyle { Solid, Clear };
// Opaque fills a text's cell and the gaps of dashed lines with the brush colour (while the brush
// is solid); Transparent leaves them.
enum class BackgroundMode { Opaque, Transparent };

struct Pen {
    Color color = clBlack;
    int width = 1; // a width above 1 draws every style solid, as Windows does
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
    friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
    Color color = clWhite;
    BrushStyle style = BrushStyle::Solid;
    friend bool operator==(const Brush&, const Brush&) = default;
};

struct Font {
    // The name the system asks for ("Arial", "MS Sans Serif", ...); the role table maps it to an
    // installed family.
    std::string name = "MS Sans Serif";
    // Windows sign rules: below 0 the character height (em) in pixels, above 0 the cell height
    // (ascent + descent) in pixels, 0 a default size.
    int height = -11;
    bool bold = false;
    int escapement = 0; // tenths of a degree counter-clockwise: 0 or 900
    Color color = clBlack;
    friend bool operator==(const Font&, const Font&) = default;
};

// Height for a point size at a resolution, rounded as Windows' MulDiv: -(points x ppi / 72).
int heightForPoints(int points, int pixelsPerInch);
int pointsForHeight(int height, int pixelsPerInch);

class Canvas {
public:
    virtual ~Canvas() = default;

    Pen& pen() { return pen_; }
    const Pen& pen() const { return pen_; }
    Brush& brush() { return brush_; }
    const Brush& brush() const { return brush_; }
    Font& font() { return font_; }
    const Font& font() const { return font_; }
    BackgroundMode backgroundMode() const { return backgroundMode_; }
    void setBackgroundMode(BackgroundMode mode) { backgroundMode_ = mode; }
    Point penPos() const { return penPos_; }

    virtual int pixelsPerInch() const = 0;
    // Sets the font height for a point size at this canvas's pixels per inch.
    void setFontSize(int points) { font_.height = heightForPoints(points, pixelsPerInch()); }
    int fontSize() const { return pointsForHeight(font_.height, pixelsPerInch()); }

    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    // From the pen position to (x, y) without the end pixel; the pen position moves there.
    void LineTo(int x, int y);
    // Outline with the pen over l..r-1 x t..b-1 and filled with the brush.
    void Rectangle(int l, int t, int r, int b) { doRectangle({l, t, r, b}); }
    void Rectangle(const Rect& r) { doRectangle(r); }
    // Fills l..r-1 x t..b-1 with the brush, no outline.
    void FillRect(const Rect& r) { doFillRect(r); }
    void Ellipse(int l, int t, int r, int b) { doEllipse({l, t, r, b}); }
    void Ellipse(const Rect& r) { doEllipse(r); }
    // Corner ellipse w x h.
    void RoundRect(int l, int t, int r, int b, int w, int h) { doRoundRect({l, t, r, b}, w, h); }
    // Part of the ellipse in (l, t, r, b) counter-clockwise from the radial through (x3, y3) to the
    // radial through (x4, y4); the same radial twice draws the whole ellipse.
    void Arc(int l, int t, int r, int b, int x3, int y3, int x4, int y4)
    {
        doArc({l, t, r, b}, {x3, y3}, {x4, y4}, false);
    }
    // As Arc, closed by the two radii and filled with the brush.
    void Pie(int l, int t, int r, int b, int x3, int y3, int x4, int y4)
    {
        doArc({l, t, r, b}, {x3, y3}, {x4, y4}, true);
    }
    // Closed, outlined and filled (alternate fill).
    void Polygon(const std::vector<Point>& points) { doPolygon(points); }
    // Open; like LineTo, the last point is left out. The pen position does not move.
    void Polyline(const std::vector<Point>& points) { doPolyline(points); }

    // Text cell's top-left corner at (x, y) in the font colour; with an opaque background and a
    // solid brush the cell is filled with the brush colour first. The pen position moves to
    // (x + text width, y).
    void TextOut(int x, int y, std::string_view text);
    // Text at (x, y) clipped to the rectangle; with a solid brush the rectangle is filled first.
    void TextRect(const Rect& r, int x, int y, std::string_view text) { doTextRect(r, x, y, text); }
    virtual int TextWidth(std::string_view text) = 0;
    // Cell height of the current font.
    virtual int TextHeight(std::string_view text) = 0;

    // Dotted frame over l..r-1 x t..b-1 that inverts the pixels under it; drawing it twice
    // removes it.
    void DrawFocusRect(const Rect& r) { doFocusRect(r); }
    void Draw(int x, int y, const QImage& picture) { doDraw(x, y, picture); }
    void StretchDraw(const Rect& r, const QImage& picture) { doStretchDraw(r, picture); }
    void SetPixel(int x, int y, Color color) { doPixel(x, y, color); }

protected:
    virtual void doLine(Point from, Point to) = 0;
    virtual void doRectangle(const Rect& r) = 0;
    virtual void doFillRect(const Rect& r) = 0;
    virtual void doEllipse(const Rect& r) = 0;
    virtual void doRoundRect(const Rect& r, int w, int h) = 0;
    virtual void doArc(const Rect& r, Point start, Point end, bool pie) = 0;
    virtual void doPolygon(const std::vector<Point>& points) = 0;
    virtual void doPolyline(const std::vector<Point>& points) = 0;
    virtual void doTextOut(int x, int y, std::string_view text) = 0;
    virtual void doTextRect(const Rect& r, int x, int y, std::string_view text) = 0;
    virtual void doFocusRect(const Rect& r) = 0;
    virtual void doDraw(int x, int y, const QImage& picture) = 0;
    virtual void doStretchDraw(const Rect& r, const QImage& picture) = 0;
    virtual void doPixel(int x, int y, Color color) = 0;

    // Text cells and dash gaps are filled.
    bool opaqueBackground() const
    {
        return backgroundMode_ == BackgroundMode::Opaque && brush_.style == BrushStyle::Solid;
    }

private:
    Pen pen_;
    Brush brush_;
    Font font_;
    BackgroundMode backgroundMode_ = BackgroundMode::Opaque;
    Point penPos_;
};

} // namespace kvr::gfx
