#pragma once
// The canvas on any Qt paint device (image, widget, printer). The Windows rules map to Qt here
// and nowhere else: exclusive right/bottom edges, lines without their end pixel, text by the
// top-left corner of its cell, font heights as Windows reads them. Figures are not antialiased.

#include "gfx/canvas.h"

#include <QFont>
#include <QPainter>

#include <memory>
#include <utility>
#include <vector>

namespace kvr::gfx {

class QPainterCanvas : public Canvas {
public:
    // Paints on the device until the canvas goes.
    explicit QPainterCanvas(QPaintDevice& device);
    // Paints through a painter that is already active (a widget's paint event).
    explicit QPainterCanvas(QPainter& painter);
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas&) = delete;
    QPainterCanvas& operator=(const QPainterCanvas&) = delete;

    int pixelsPerInch() const override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    // The Qt font the current canvas font maps to.
    QFont qtFont();
    QPainter& painter() { return *painter_; }

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
    bool penVisible() const { return pen().style != PenStyle::Clear; }
    // Pen, brush, raster mode and background of the canvas state onto the painter.
    void applyPen();
    void applyBrush();
    void applyMode();
    void drawText(int x, int y, std::string_view text, bool fillCell);

    std::unique_ptr<QPainter> owned_;
    QPainter* painter_;
    QPaintDevice* device_;
    std::vector<std::pair<Font, QFont>> fonts_; // the canvas fonts mapped so far
};

} // namespace kvr::gfx
