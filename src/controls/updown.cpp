#include "controls/updown.h"

#include <QEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kvr::controls {

TUpDown::TUpDown(QLineEdit* Associate, int Min, int Max, QWidget* Parent)
    : QWidget(Parent), Associate(Associate), FMin(Min), FMax(Max), FPosition(Min)
{
    Up = new QToolButton(this);
    Up->setArrowType(Qt::UpArrow);
    Down = new QToolButton(this);
    Down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {Up, Down}) {
        b->setAutoRepeat(true);
        b->setFixedSize(17, 11);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Up);
    layout->addWidget(Down);
    connect(Up, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(Down, &QToolButton::clicked, this, [this] { StepBy(-1); });
    SetPosition(Min);
}

void TUpDown::SetPosition(int Value)
{
    // No wrap: the ends stop the arrows.
    FPosition = std::clamp(Value, FMin, FMax);
    Associate->setText(QString::number(FPosition));
}

void TUpDown::StepBy(int Steps)
{
    if (isEnabled())
        SetPosition(FPosition + Steps);
}

void TUpDown::changeEvent(QEvent* Event)
{
    QWidget::changeEvent(Event);
    if (Event->type() == QEvent::EnabledChange) {
        Up->setEnabled(isEnabled());
        Down->setEnabled(isEnabled());
    }
}

} // namespace kvr::controls
