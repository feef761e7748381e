#include "editors/dsp/dspicons.h"

#include <map>
#include <vector>

#include "gfx/canvas.h"
#include "gfx/qpaintercanvas.h"

namespace kvr::editors {

namespace {

struct IconShape {
    gfx::Color Color;
    // The curve inside the 14 x 14 inner cell, in cell coordinates (0, 0 top left).
    std::vector<gfx::Point> Curve;
};

// By catalogue icon number: dynamics draw their transfer curve (input right, output up),
// filters their frequency response.
const std::map<int, IconShape>& Shapes()
{
    static const std::map<int, IconShape> shapes = {
        {1, {gfx::clMaroon, {{1, 13}, {8, 6}, {13, 6}}}},                      // limiter
        {2, {gfx::clNavy, {{1, 13}, {7, 7}, {13, 4}}}},                        // compressor
        {3, {gfx::clTeal, {{1, 13}, {5, 11}, {8, 7}, {13, 1}}}},               // expander
        {4, {gfx::clBlue, {{1, 8}, {4, 8}, {6, 3}, {8, 3}, {10, 8}, {13, 8}}}}, // EQ
        {5, {gfx::clGreen, {{1, 7}, {3, 3}, {5, 7}, {7, 11}, {9, 7}, {11, 3}, {13, 7}}}}, // sine
        {6, {gfx::clPurple, {{1, 10}, {6, 10}, {9, 5}, {13, 3}}}},             // enhancer
        {7, {gfx::clOlive, {{1, 10}, {4, 6}, {13, 6}}}},                       // AGC
        {8, {gfx::clNavy, {{1, 9}, {4, 5}, {7, 9}, {10, 5}, {13, 9}}}},        // 3-band
        {9, {gfx::clNavy, {{1, 9}, {3, 5}, {5, 9}, {7, 5}, {9, 9}, {11, 5}, {13, 9}}}}, // 4-band
        {10, {gfx::clMaroon, {{1, 13}, {6, 5}, {9, 3}, {13, 3}}}},             // soft clipper
        {11, {gfx::clPurple, {{1, 9}, {7, 9}, {13, 4}}}},                      // preemphasis
        {12, {gfx::clMaroon, {{1, 13}, {7, 6}, {10, 5}, {13, 5}}}},            // softknee limiter
        {13, {gfx::clGreen, {{1, 7}, {4, 7}, {4, 3}, {7, 3}, {7, 11}, {10, 11}, {10, 7}, {13, 7}}}}, // tone
        {14, {gfx::clTeal, {{1, 6}, {8, 6}, {10, 10}, {13, 10}}}},             // de-esser
        {15, {gfx::clOlive, {{1, 13}, {6, 13}, {6, 8}, {13, 1}}}},             // noise gate
        {17, {gfx::clNavy, {{1, 13}, {7, 7}, {13, 4}}}},                       // linked compressor
        {18, {gfx::clBlue, {{1, 12}, {5, 5}, {13, 5}}}},                       // sub sonic
        {19, {gfx::clBlue, {{1, 11}, {4, 5}, {10, 5}, {13, 11}}}},             // low and high pass
        {20, {gfx::clGreen, {{1, 10}, {7, 10}, {7, 4}, {13, 4}}}},             // 90 degree filter
    };
    return shapes;
}

} // namespace

void DrawDSPIcon(gfx::Canvas& Canvas, int Icon, int X, int Y)
{
    Canvas.pen() = gfx::Pen{gfx::clGray, 1};
    Canvas.brush() = gfx::Brush{gfx::clWhite};
    Canvas.Rectangle(X, Y, X + kDSPIconSize, Y + kDSPIconSize);
    const auto shape = Shapes().find(Icon);
    if (shape == Shapes().end())
        return;
    std::vector<gfx::Point> points;
    for (const gfx::Point& p : shape->second.Curve)
        points.push_back({X + 1 + p.x, Y + 1 + p.y});
    // A polyline leaves out its last pixel; repeat the end point so the curve reaches it.
    points.push_back({points.back().x + 1, points.back().y});
    Canvas.pen() = gfx::Pen{shape->second.Color, 1};
    Canvas.Polyline(points);
}

QImage DSPIconImage(int Icon)
{
    QImage image(kDSPIconSize, kDSPIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        gfx::QPainterCanvas canvas(image);
        DrawDSPIcon(canvas, Icon, 0, 0);
    }
    return image;
}

QIcon DSPIcon(int Icon)
{
    return QIcon(QPixmap::fromImage(DSPIconImage(Icon)));
}

} // namespace kvr::editors
