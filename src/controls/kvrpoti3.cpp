#include "controls/kvrpoti3.h"

#include "controls/knobpainter.h"
#include "gfx/qpaintercanvas.h"
#include "gfx/text1252.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kvr::controls {

TKVRPoti3::TKVRPoti3(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    resize(30, 30);
    model_.changed = [this] {
        update();
        if (OnChange)
            OnChange(this);
    };
    RebuildBackground();
}

void TKVRPoti3::SetEnabled(bool value)
{
    model_.SetEnabled(value);
    RebuildBackground();
}

void TKVRPoti3::SetStyle(TKVRPoti3Style value)
{
    model_.SetStyle(value);
    RebuildBackground();
}

void TKVRPoti3::SetFGColor(gfx::Color value)
{
    fgColor_ = value;
    RebuildBackground();
}

void TKVRPoti3::SetBGColor(gfx::Color value)
{
    bgColor_ = value;
    RebuildBackground();
}

void TKVRPoti3::SetCaption(const QString& value)
{
    caption_ = value;
    RebuildBackground();
}

void TKVRPoti3::SetKnobFont(const gfx::Font& value)
{
    font_ = value;
    RebuildBackground();
}

void TKVRPoti3::SetBG(const QImage* parentPicture)
{
    const int w = width();
    const int h = height();
    bgPicture_ = QImage(w, h, QImage::Format_RGB32);
    {
        gfx::QPainterCanvas canvas(bgPicture_);
        if (parentPicture != nullptr) {
            // The parent's pixels from one left of and above the knob, stretched onto it.
            const QImage under = parentPicture->copy(x() - 1, y() - 1, w + 1, h + 1);
            canvas.StretchDraw({0, 0, w, h}, under);
            hasBGPicture_ = true;
        } else {
            canvas.brush() = {bgColor_, gfx::BrushStyle::Solid};
            canvas.FillRect({0, 0, w, h});
        }
    }
    RebuildBackground();
}

void TKVRPoti3::RebuildBackground()
{
    background_ = QImage(width(), height(), QImage::Format_RGB32);
    KnobLook look;
    look.width = width();
    look.height = height();
    look.style = model_.Style();
    look.fgColor = fgColor_;
    look.bgColor = bgColor_;
    look.bgPicture = hasBGPicture_ ? &bgPicture_ : nullptr;
    look.caption = gfx::toCp1252(caption_);
    look.font = font_;
    look.enabled = model_.Enabled();
    {
        gfx::QPainterCanvas canvas(background_);
        paintKnobBackground(canvas, look);
    }
    update();
}

void TKVRPoti3::paintEvent(QPaintEvent*)
{
    frame_ = QImage(width(), height(), QImage::Format_RGB32);
    {
        gfx::QPainterCanvas canvas(frame_);
        const gfx::Point tip = knobPointerTip(width(), model_.Position(), model_.Min(), model_.Range());
        paintKnobFrame(canvas, background_, width(), height(), model_.Style(), tip, focused_);
    }
    QPainter(this).drawImage(0, 0, frame_);
}

void TKVRPoti3::resizeEvent(QResizeEvent*)
{
    RebuildBackground();
}

void TKVRPoti3::mousePressEvent(QMouseEvent* event)
{
    const int x = static_cast<int>(event->position().x());
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        model_.StartDrag(x);
        update();
    } else if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        if (OnRClick)
            OnRClick(this);
    }
}

void TKVRPoti3::mouseMoveEvent(QMouseEvent* event)
{
    model_.DragTo(static_cast<int>(event->position().x()), (event->buttons() & Qt::LeftButton) != 0);
}

void TKVRPoti3::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        model_.EndDrag();
}

void TKVRPoti3::keyPressEvent(QKeyEvent* event)
{
    model_.KeyDown(virtualKey(event->key()));
    event->accept();
}

void TKVRPoti3::focusInEvent(QFocusEvent*)
{
    if (model_.Enabled())
        focused_ = true;
    update();
}

void TKVRPoti3::focusOutEvent(QFocusEvent*)
{
    focused_ = false;
    update();
}

int virtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    default:
        // Letters, digits and the space bar share their codes; any other key reads as none of
        // the knob's keys ('!' is 33 in Qt but not Page Up).
        if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
            qtKey == Qt::Key_Space)
            return qtKey;
        return 0;
    }
}

} // namespace kvr::controls
