#include "platform/printercanvas.h"

#include "gfx/qpaintercanvas.h"

namespace kvr::platform {

MeasureSurface::MeasureSurface(int PixelsPerInch) : FImage(8, 8, QImage::Format_RGB32)
{
    const int dotsPerMeter = qRound(PixelsPerInch / 0.0254);
    FImage.setDotsPerMeterX(dotsPerMeter);
    FImage.setDotsPerMeterY(dotsPerMeter);
    FCanvas = std::make_unique<gfx::QPainterCanvas>(FImage);
}

MeasureSurface::~MeasureSurface() = default;

gfx::Canvas& MeasureSurface::Canvas() { return *FCanvas; }

gfx::Canvas* PrinterCanvas::Synced(gfx::Canvas* Target)
{
    if (Target != nullptr) {
        Target->pen() = pen();
        Target->brush() = brush();
        Target->font() = font();
        Target->setBackgroundMode(backgroundMode());
    }
    return Target;
}

int PrinterCanvas::TextWidth(std::string_view Text)
{
    gfx::Canvas* c = Synced(FTarget != nullptr ? FTarget : FMeasure);
    return c != nullptr ? c->TextWidth(Text) : 0;
}

int PrinterCanvas::TextHeight(std::string_view Text)
{
    gfx::Canvas* c = Synced(FTarget != nullptr ? FTarget : FMeasure);
    return c != nullptr ? c->TextHeight(Text) : 0;
}

void PrinterCanvas::doLine(gfx::Point From, gfx::Point To)
{
    if (gfx::Canvas* c = Synced(FTarget)) {
        c->MoveTo(From.x, From.y);
        c->LineTo(To.x, To.y);
    }
}

void PrinterCanvas::doRectangle(const gfx::Rect& R)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->Rectangle(R);
}

void PrinterCanvas::doFillRect(const gfx::Rect& R)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->FillRect(R);
}

void PrinterCanvas::doEllipse(const gfx::Rect& R)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->Ellipse(R);
}

void PrinterCanvas::doRoundRect(const gfx::Rect& R, int W, int H)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->RoundRect(R.left, R.top, R.right, R.bottom, W, H);
}

void PrinterCanvas::doArc(const gfx::Rect& R, gfx::Point Start, gfx::Point End, bool Pie)
{
    gfx::Canvas* c = Synced(FTarget);
    if (c == nullptr)
        return;
    if (Pie)
        c->Pie(R.left, R.top, R.right, R.bottom, Start.x, Start.y, End.x, End.y);
    else
        c->Arc(R.left, R.top, R.right, R.bottom, Start.x, Start.y, End.x, End.y);
}

void PrinterCanvas::doPolygon(const std::vector<gfx::Point>& Points)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->Polygon(Points);
}

void PrinterCanvas::doPolyline(const std::vector<gfx::Point>& Points)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->Polyline(Points);
}

void PrinterCanvas::doTextOut(int X, int Y, std::string_view Text)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->TextOut(X, Y, Text);
}

void PrinterCanvas::doTextRect(const gfx::Rect& R, int X, int Y, std::string_view Text)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->TextRect(R, X, Y, Text);
}

void PrinterCanvas::doFocusRect(const gfx::Rect& R)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->DrawFocusRect(R);
}

void PrinterCanvas::doDraw(int X, int Y, const QImage& Picture)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->Draw(X, Y, Picture);
}

void PrinterCanvas::doStretchDraw(const gfx::Rect& R, const QImage& Picture)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->StretchDraw(R, Picture);
}

void PrinterCanvas::doPixel(int X, int Y, gfx::Color Color)
{
    if (gfx::Canvas* c = Synced(FTarget))
        c->SetPixel(X, Y, Color);
}

} // namespace kvr::platform
