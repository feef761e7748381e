#pragma once
// The canvas a printer hands to the sections. It keeps the font, pen, brush and background mode
// for the whole life of the printer and draws on the canvas of the page that is open; outside a
// job drawing does nothing.

#include <QImage>

#include <memory>

#include "gfx/canvas.h"

namespace kvr::gfx {
class QPainterCanvas;
}

namespace kvr::platform {

class PrinterCanvas : public gfx::Canvas {
public:
    explicit PrinterCanvas(int PixelsPerInch) : FPixelsPerInch(PixelsPerInch) {}

    // The page's canvas, null between jobs.
    void SetTarget(gfx::Canvas* Target) { FTarget = Target; }
    gfx::Canvas* Target() const { return FTarget; }
    // Measures text between jobs; null measures nothing.
    void SetMeasure(gfx::Canvas* Measure) { FMeasure = Measure; }

    int pixelsPerInch() const override { return FPixelsPerInch; }
    int TextWidth(std::string_view Text) override;
    int TextHeight(std::string_view Text) override;

protected:
    void doLine(gfx::Point From, gfx::Point To) override;
    void doRectangle(const gfx::Rect& R) override;
    void doFillRect(const gfx::Rect& R) override;
    void doEllipse(const gfx::Rect& R) override;
    void doRoundRect(const gfx::Rect& R, int W, int H) override;
    void doArc(const gfx::Rect& R, gfx::Point Start, gfx::Point End, bool Pie) override;
    void doPolygon(const std::vector<gfx::Point>& Points) override;
    void doPolyline(const std::vector<gfx::Point>& Points) override;
    void doTextOut(int X, int Y, std::string_view Text) override;
    void doTextRect(const gfx::Rect& R, int X, int Y, std::string_view Text) override;
    void doFocusRect(const gfx::Rect& R) override;
    void doDraw(int X, int Y, const QImage& Picture) override;
    void doStretchDraw(const gfx::Rect& R, const QImage& Picture) override;
    void doPixel(int X, int Y, gfx::Color Color) override;

private:
    // The target with this canvas's state; null outside a job.
    gfx::Canvas* Synced(gfx::Canvas* Target);

    int FPixelsPerInch;
    gfx::Canvas* FTarget = nullptr;
    gfx::Canvas* FMeasure = nullptr;
};

// A small image at a printer's resolution to measure text on while no page is open.
class MeasureSurface {
public:
    explicit MeasureSurface(int PixelsPerInch);
    ~MeasureSurface();
    MeasureSurface(const MeasureSurface&) = delete;
    MeasureSurface& operator=(const MeasureSurface&) = delete;
    gfx::Canvas& Canvas();

private:
    QImage FImage;
    std::unique_ptr<gfx::QPainterCanvas> FCanvas;
};

} // namespace kvr::platform
