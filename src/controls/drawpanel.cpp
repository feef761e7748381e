#include "controls/drawpanel.h"

#include "gfx/qpaintercanvas.h"

#include <QPainter>

namespace kvr::controls {

gfx::Rect panelDrawRect(int width, int height, int borderWidth)
{
    return {borderWidth, borderWidth, width - borderWidth, height - borderWidth};
}

void TDrawPanel::SetBorderWidth(int value)
{
    borderWidth_ = value;
    update();
}

void TDrawPanel::SetColor(gfx::Color value)
{
    color_ = value;
    update();
}

void TDrawPanel::PaintTo(gfx::Canvas& canvas)
{
    canvas_ = &canvas;
    if (OnDraw) {
        OnDraw(this, canvas, panelDrawRect(width(), height(), borderWidth_));
    } else {
        canvas.brush() = {color_, gfx::BrushStyle::Solid};
        canvas.FillRect({0, 0, width(), height()});
    }
    canvas_ = nullptr;
}

void TDrawPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    gfx::QPainterCanvas canvas(painter);
    PaintTo(canvas);
}

} // namespace kvr::controls
