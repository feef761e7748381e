#include "platform/qtcursorhook.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace kvr::platform {

TKVRCursor QtCursorHook::Current()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    if (!cursor)
        return TKVRCursor::Default;
    switch (cursor->shape()) {
    case Qt::ArrowCursor: return TKVRCursor::Default;
    case Qt::BusyCursor: return TKVRCursor::AppStart;
    case Qt::WaitCursor: return TKVRCursor::HourGlass;
    default: return TKVRCursor::Other;
    }
}

void QtCursorHook::Set(TKVRCursor Cursor)
{
    if (Cursor == TKVRCursor::Default) {
        if (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return;
    }
    const Qt::CursorShape shape = Cursor == TKVRCursor::HourGlass ? Qt::WaitCursor
                                  : Cursor == TKVRCursor::AppStart ? Qt::BusyCursor
                                                                   : Qt::ArrowCursor;
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(shape);
    else
        QGuiApplication::setOverrideCursor(shape);
}

void QtCursorHook::ProcessMessages()
{
    QCoreApplication::processEvents();
}

} // namespace kvr::platform
