#pragma once
// A panel that hands its painting to OnDraw, with the client rectangle inside its border.

#include "gfx/canvas.h"

#include <QWidget>

#include <functional>

namespace kvr::controls {

// The client rectangle shrunk by the border width on every side.
gfx::Rect panelDrawRect(int width, int height, int borderWidth);

class TDrawPanel : public QWidget {
public:
    explicit TDrawPanel(QWidget* parent = nullptr) : QWidget(parent) {}

    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    gfx::Color Color() const { return color_; }
    void SetColor(gfx::Color value);

    std::function<void(TDrawPanel* Sender, gfx::Canvas& Canvas, gfx::Rect DrawRect)> OnDraw;

    // The canvas of the paint in progress; none outside a paint.
    gfx::Canvas* GetCanvas() { return canvas_; }
    // Paints as a paint event does: OnDraw, or the panel colour without one.
    void PaintTo(gfx::Canvas& canvas);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int borderWidth_ = 0;
    gfx::Color color_ = gfx::clBtnFace;
    gfx::Canvas* canvas_ = nullptr;
};

} // namespace kvr::controls
