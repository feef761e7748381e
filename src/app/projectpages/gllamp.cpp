#include "app/projectpages/gllamp.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/text1252.h"

namespace kvr::app {

TGLLamp::TGLLamp(int Index, QWidget* Parent) : QWidget(Parent), FIndex(Index)
{
    setObjectName(QString("GLLamp%1").arg(Index));
    setFixedSize(LampWidth, LampHeight);
}

QColor TGLLamp::BrushColor(GLLampColor Color)
{
    switch (Color) {
    case GLLampColor::Red: return QColor(255, 0, 0);
    case GLLampColor::Green: return QColor(0, 128, 0);
    case GLLampColor::Black: return QColor(0, 0, 0);
    case GLLampColor::Grey: break;
    }
    return QColor(128, 128, 128);
}

void TGLLamp::SetState(const GLLamp& Lamp)
{
    const QString hint = platform::fromCp1252(Lamp.Hint);
    if (Lamp.Color == FColor && Lamp.YellowBorder == FYellowBorder && toolTip() == hint)
        return;
    FColor = Lamp.Color;
    FYellowBorder = Lamp.YellowBorder;
    setToolTip(hint);
    update();
}

void TGLLamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), BrushColor(FColor));
    p.setPen(FYellowBorder ? QColor(255, 255, 0) : QColor(0, 0, 0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TGLLamp::mousePressEvent(QMouseEvent* Event)
{
    const GLMouseButton button = Event->button() == Qt::LeftButton    ? GLMouseButton::Left
                                 : Event->button() == Qt::RightButton ? GLMouseButton::Right
                                                                      : GLMouseButton::Middle;
    if (OnMouseDown)
        OnMouseDown(FIndex, button);
}

} // namespace kvr::app
