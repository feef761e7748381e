#include "gfx/qpaintercanvas.h"

#include <algorithm>

#include "gfx/fontroles.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPolygon>

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace kvr::gfx {

namespace {

// A figure's Windows box l..r-1 as the rectangle Qt strokes with a 1-pixel pen (Qt's stroked
// rectangle is its size plus the pen width) and fills without a pen (Qt covers l..r-2, which is
// also what Windows fills when the pen is clear).
QRect strokeBox(const Rect& r)
{
    return QRect(r.left, r.top, r.width() - 1, r.height() - 1);
}

// Windows draws a rectangle, ellipse or rounded rectangle whose corners come in either order.
Rect ordered(const Rect& r)
{
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
}

QRect fillBox(const Rect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

QPolygon toQPolygon(const std::vector<Point>& points)
{
    QPolygon polygon;
    for (const Point& p : points)
        polygon << QPoint(p.x, p.y);
    return polygon;
}

// Angle in Qt's measure (degrees, counter-clockwise from 3 o'clock) of the radial through p of
// the ellipse in r; Qt places arc angles on the ellipse parametrically, so the point is scaled to
// the unit circle first.
double radialAngle(const Rect& r, Point p)
{
    const double cx = (r.left + r.right) / 2.0;
    const double cy = (r.top + r.bottom) / 2.0;
    const double rx = std::max(r.width() / 2.0, 0.5);
    const double ry = std::max(r.height() / 2.0, 0.5);
    return std::atan2(-(p.y - cy) / ry, (p.x - cx) / rx) * 180.0 / std::numbers::pi;
}

} // namespace

QPainterCanvas::QPainterCanvas(QPaintDevice& device)
    : owned_(std::make_unique<QPainter>(&device)), painter_(owned_.get()), device_(&device)
{
    painter_->setRenderHint(QPainter::Antialiasing, false);
}

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(&painter), device_(painter.device())
{
    painter_->setRenderHint(QPainter::Antialiasing, false);
}

QPainterCanvas::~QPainterCanvas() = default;

int QPainterCanvas::pixelsPerInch() const
{
    return device_ != nullptr ? device_->logicalDpiY() : 96;
}

QFont QPainterCanvas::qtFont()
{
    const Font& f = font();
    // A painter switches between a few fonts (bold numbers, regular rows); finding an installed
    // family asks the font configuration, so every font of this canvas is mapped once.
    for (const auto& [known, mapped] : fonts_)
        if (known == f)
            return mapped;
    const FontRole& role = fontRoleFor(f.name);
    QFont qf(resolveFamily(f.name));
    qf.setBold(f.bold);
    if (role.smallCaps)
        qf.setCapitalization(QFont::SmallCaps);
    int em = 0;
    if (f.height < 0) {
        em = -f.height;
    } else {
        // A cell height: find the em whose ascent + descent is that height.
        const int cell = f.height > 0 ? f.height : 13;
        qf.setPixelSize(1000);
        const double cellAt1000 = QFontMetricsF(qf, device_).height();
        em = cellAt1000 > 0 ? static_cast<int>(std::lround(cell * 1000.0 / cellAt1000)) : cell;
    }
    qf.setPixelSize(std::max(1, em));
    fonts_.emplace_back(f, qf);
    return qf;
}

int QPainterCanvas::TextWidth(std::string_view text)
{
    return QFontMetrics(qtFont(), device_).horizontalAdvance(textForFont(font().name, text));
}

int QPainterCanvas::TextHeight(std::string_view)
{
    return QFontMetrics(qtFont(), device_).height();
}

void QPainterCanvas::applyPen()
{
    const Pen& p = pen();
    if (p.style == PenStyle::Clear) {
        painter_->setPen(Qt::NoPen);
        return;
    }
    QPen qp(toQColor(p.color));
    if (p.width <= 1) {
        qp.setWidth(1);
        qp.setCosmetic(true);
        // Windows' cosmetic patterns, in pixels.
        if (p.style == PenStyle::Dash)
            qp.setDashPattern({18, 6});
        else if (p.style == PenStyle::Dot)
            qp.setDashPattern({3, 3});
        // A flat-capped cosmetic line leaves out its end pixel, as Windows does.
        qp.setCapStyle(Qt::FlatCap);
    } else {
        qp.setWidth(p.width);
        qp.setCapStyle(Qt::RoundCap);
        qp.setJoinStyle(Qt::MiterJoin);
    }
    painter_->setPen(qp);
    if (opaqueBackground()) {
        painter_->setBackgroundMode(Qt::OpaqueMode);
        painter_->setBackground(QBrush(toQColor(brush().color)));
    } else {
        painter_->setBackgroundMode(Qt::TransparentMode);
    }
}

void QPainterCanvas::applyBrush()
{
    if (brush().style == BrushStyle::Clear)
        painter_->setBrush(Qt::NoBrush);
    else
        painter_->setBrush(QBrush(toQColor(brush().color)));
}

void QPainterCanvas::applyMode()
{
    painter_->setCompositionMode(pen().mode == PenMode::NotXor ? QPainter::RasterOp_NotSourceXorDestination
                                                               : QPainter::CompositionMode_SourceOver);
}

void QPainterCanvas::doLine(Point from, Point to)
{
    if (!penVisible() || from == to)
        return;
    applyMode();
    applyPen();
    painter_->drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}

void QPainterCanvas::doRectangle(const Rect& given)
{
    const Rect r = ordered(given);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    applyMode();
    if (!penVisible()) {
        if (brush().style == BrushStyle::Solid)
            painter_->fillRect(strokeBox(r), toQColor(brush().color));
        return;
    }
    applyPen();
    if (pen().width <= 1) {
        // Interior and frame apart, so a not-xor frame is not inverted twice.
        if (brush().style == BrushStyle::Solid && r.width() > 2 && r.height() > 2)
            painter_->fillRect(QRect(r.left + 1, r.top + 1, r.width() - 2, r.height() - 2), toQColor(brush().color));
        painter_->setBrush(Qt::NoBrush);
        painter_->drawRect(strokeBox(r));
        return;
    }
    applyBrush();
    painter_->drawRect(strokeBox(r));
}

void QPainterCanvas::doFillRect(const Rect& r)
{
    if (brush().style == BrushStyle::Clear || r.width() <= 0 || r.height() <= 0)
        return;
    // A plain fill copies the brush: the pen's raster mode is not for it.
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->fillRect(fillBox(r), toQColor(brush().color));
}

void QPainterCanvas::doEllipse(const Rect& given)
{
    const Rect r = ordered(given);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    applyMode();
    applyPen();
    applyBrush();
    painter_->drawEllipse(strokeBox(r));
}

void QPainterCanvas::doRoundRect(const Rect& given, int w, int h)
{
    const Rect r = ordered(given);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    applyMode();
    applyPen();
    applyBrush();
    painter_->drawRoundedRect(strokeBox(r), w / 2.0, h / 2.0, Qt::AbsoluteSize);
}

void QPainterCanvas::doArc(const Rect& r, Point start, Point end, bool pie)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const double a0 = radialAngle(r, start);
    double span = radialAngle(r, end) - a0;
    while (span <= 0)
        span += 360.0;
    applyMode();
    applyPen();
    const int qtStart = static_cast<int>(std::lround(a0 * 16));
    const int qtSpan = static_cast<int>(std::lround(span * 16));
    if (pie) {
        applyBrush();
        painter_->drawPie(strokeBox(r), qtStart, qtSpan);
    } else {
        painter_->setBrush(Qt::NoBrush);
        painter_->drawArc(strokeBox(r), qtStart, qtSpan);
    }
}

void QPainterCanvas::doPolygon(const std::vector<Point>& points)
{
    if (points.size() < 2)
        return;
    applyMode();
    applyPen();
    applyBrush();
    painter_->drawPolygon(toQPolygon(points), Qt::OddEvenFill);
}

void QPainterCanvas::doPolyline(const std::vector<Point>& points)
{
    if (points.size() < 2 || !penVisible())
        return;
    applyMode();
    applyPen();
    painter_->drawPolyline(toQPolygon(points));
}

void QPainterCanvas::drawText(int x, int y, std::string_view text, bool fillCell)
{
    const QFont qf = qtFont();
    const QString shown = textForFont(font().name, text);
    const QFontMetrics metrics(qf, device_);
    painter_->save();
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->setBackgroundMode(Qt::TransparentMode);
    painter_->translate(x, y);
    if (font().escapement != 0)
        painter_->rotate(-font().escapement / 10.0);
    if (fillCell)
        painter_->fillRect(QRect(0, 0, metrics.horizontalAdvance(shown), metrics.height()), toQColor(brush().color));
    painter_->setFont(qf);
    painter_->setPen(toQColor(font().color));
    painter_->drawText(QPoint(0, metrics.ascent()), shown);
    painter_->restore();
}

void QPainterCanvas::doTextOut(int x, int y, std::string_view text)
{
    drawText(x, y, text, opaqueBackground());
}

void QPainterCanvas::doTextRect(const Rect& r, int x, int y, std::string_view text)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter_->save();
    painter_->setClipRect(fillBox(r), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    if (brush().style == BrushStyle::Solid) {
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_->fillRect(fillBox(r), toQColor(brush().color));
    }
    drawText(x, y, text, false);
    painter_->restore();
}

void QPainterCanvas::doFocusRect(const Rect& r)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    // Every other pixel of the frame inverted, in a checkerboard as Windows draws it.
    painter_->save();
    painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_->setPen(Qt::NoPen);
    const QColor white(Qt::white);
    auto invert = [&](int px, int py) {
        if (((px + py) & 1) == 0)
            painter_->fillRect(QRect(px, py, 1, 1), white);
    };
    for (int px = r.left; px < r.right; ++px) {
        invert(px, r.top);
        if (r.bottom - 1 > r.top)
            invert(px, r.bottom - 1);
    }
    for (int py = r.top + 1; py < r.bottom - 1; ++py) {
        invert(r.left, py);
        if (r.right - 1 > r.left)
            invert(r.right - 1, py);
    }
    painter_->restore();
}

void QPainterCanvas::doDraw(int x, int y, const QImage& picture)
{
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->drawImage(QPoint(x, y), picture);
}

void QPainterCanvas::doStretchDraw(const Rect& r, const QImage& picture)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->drawImage(fillBox(r), picture);
}

void QPainterCanvas::doPixel(int x, int y, Color color)
{
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->fillRect(QRect(x, y, 1, 1), toQColor(color));
}

} // namespace kvr::gfx
