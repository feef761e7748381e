#include "app/cgauge.h"

#include <QPainter>

#include <algorithm>

namespace kvr::app {

TCGauge::TCGauge(QWidget* Parent) : QWidget(Parent)
{
    setFixedSize(103, 16);
}

QColor TCGauge::ToQColor(std::uint32_t C)
{
    return QColor(static_cast<int>(C & 0xFF), static_cast<int>((C >> 8) & 0xFF), static_cast<int>((C >> 16) & 0xFF));
}

void TCGauge::SetForeColor(std::uint32_t Color) { FForeColor = Color; update(); }
void TCGauge::SetBackColor(std::uint32_t Color) { FBackColor = Color; update(); }
void TCGauge::SetMaxValue(int Value) { FMaxValue = Value; update(); }
void TCGauge::SetProgress(int Value) { FProgress = Value; update(); }

int TCGauge::Percent() const
{
    if (FMaxValue <= 0)
        return 0;
    return static_cast<int>(static_cast<long long>(std::max(FProgress, 0)) * 100 / FMaxValue);
}

void TCGauge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    p.fillRect(inner, ToQColor(FBackColor));
    const int filled = inner.width() * std::min(Percent(), 100) / 100;
    p.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), ToQColor(FForeColor));
    // The text is drawn twice, clipped, so it reads on either colour.
    const QString text = QString::number(Percent()) + "%";
    p.setClipRect(QRect(inner.left(), inner.top(), filled, inner.height()));
    p.setPen(ToQColor(FBackColor));
    p.drawText(inner, Qt::AlignCenter, text);
    p.setClipRect(QRect(inner.left() + filled, inner.top(), inner.width() - filled, inner.height()));
    p.setPen(ToQColor(FForeColor));
    p.drawText(inner, Qt::AlignCenter, text);
}

} // namespace kvr::app
