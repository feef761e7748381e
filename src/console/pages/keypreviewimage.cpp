#include "console/pages/keypreviewimage.h"

#include "gfx/qpaintercanvas.h"

namespace kvr::console {

KeyPreviewImage::KeyPreviewImage(QWidget* parent) : QWidget(parent)
{
    setObjectName("KeyImg");
    setFixedSize(84, 79);
}

std::optional<KeyPreviewLayout> KeyPreviewImage::ShowKey(int moduleType, const model::TKeyRecord& record)
{
    const auto layout = KeyPreviewLayoutOf(moduleType, record);
    if (!layout)
        return layout;
    type_ = moduleType;
    record_ = record;
    drawn_ = true;
    brush_ = KeyPreviewColour(moduleType, record, brush_);
    setFixedSize(layout->Width, layout->Height);
    update();
    return layout;
}

void KeyPreviewImage::paintEvent(QPaintEvent*)
{
    if (!drawn_)
        return;
    gfx::QPainterCanvas canvas(*this);
    canvas.brush().color = brush_;
    DrawKeyPreview(canvas, type_, record_);
}

} // namespace kvr::console
