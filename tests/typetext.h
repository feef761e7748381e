#pragma once
// Types text into the widget as a keyboard would, one key per character, each carrying its
// character: QTest's own key helpers take ASCII only.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace kvr::test {

inline void TypeText(QWidget* Widget, const QString& Text)
{
    for (const QChar ch : Text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(Widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(Widget, &release);
    }
}

} // namespace kvr::test
