#include "support/windowdrag.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>

namespace kvr::testsupport {

WindowDrag::WindowDrag(QMimeData* data, Qt::DropActions actions) : FData(data), FActions(actions) {}

WindowDrag::~WindowDrag()
{
    Cancel();
}

bool WindowDrag::MoveTo(QWidget* widget, const QPoint& at)
{
    QWidget* top = widget->window();
    QWindow* window = top->windowHandle();
    if (!window || !top->isVisible())
        return false;
    // A drag that crosses into another window leaves the one it was over: Qt sends the leave when
    // the next window reports the drag.
    FWindow = window;
    FAt = widget->mapTo(top, at);
    const QPlatformDragQtResponse answer =
        QWindowSystemInterface::handleDrag(window, FData.get(), FAt, FActions, Qt::LeftButton, Qt::NoModifier);
    FAction = answer.isAccepted() ? answer.acceptedAction() : Qt::IgnoreAction;
    QCoreApplication::processEvents();
    return answer.isAccepted();
}

bool WindowDrag::MoveTo(QWidget* widget)
{
    return MoveTo(widget, widget->rect().center());
}

bool WindowDrag::Drop()
{
    if (!FWindow)
        return false;
    const QPlatformDropQtResponse answer =
        QWindowSystemInterface::handleDrop(FWindow, FData.get(), FAt, FActions, Qt::NoButton, Qt::NoModifier);
    FWindow = nullptr;
    FAction = answer.isAccepted() ? answer.acceptedAction() : Qt::IgnoreAction;
    QCoreApplication::processEvents();
    return answer.isAccepted();
}

void WindowDrag::Cancel()
{
    if (!FWindow)
        return;
    // No data: the window system's word for a drag that left.
    QWindowSystemInterface::handleDrag(FWindow, nullptr, FAt, FActions, Qt::NoButton, Qt::NoModifier);
    FWindow = nullptr;
    FAction = Qt::IgnoreAction;
}

} // namespace kvr::testsupport
