#pragma once
// A drag as the window system delivers it. The pointer enters, moves over and releases on shown
// top-level windows through QWindowSystemInterface, so Qt routes every event as it does for a
// user: to the widget under the pointer that takes drops (a list's viewport, not the list), with
// a refused enter blocking the later moves over that widget, and the drop going to the widget
// that took the enter. The offscreen platform runs no drag loop of its own (QDrag::exec returns
// at once), so a test builds the drag's data as the source widget does and moves it here.

#include <QMimeData>
#include <QPoint>
#include <QPointer>

#include <memory>

class QWidget;
class QWindow;

namespace kvr::testsupport {

class WindowDrag {
public:
    // The drag of data, offering actions as its source does.
    explicit WindowDrag(QMimeData* data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction);
    // A drag that was neither dropped nor cancelled leaves its window.
    ~WindowDrag();
    WindowDrag(const WindowDrag&) = delete;
    WindowDrag& operator=(const WindowDrag&) = delete;

    // Moves the pointer to a point of widget (in its coordinates), over the top-level window that
    // shows it; the first move enters that window. True when the point accepts the drag.
    bool MoveTo(QWidget* widget, const QPoint& at);
    // The middle of widget.
    bool MoveTo(QWidget* widget);
    // Releases the button where the pointer is; true when the drop was accepted there.
    bool Drop();
    // Escape: the drag leaves the window without a drop.
    void Cancel();

    // The action the last answer accepted, Qt::IgnoreAction after a refusal.
    Qt::DropAction Action() const { return FAction; }

private:
    std::unique_ptr<QMimeData> FData;
    Qt::DropActions FActions;
    QPointer<QWindow> FWindow;
    QPoint FAt;
    Qt::DropAction FAction = Qt::IgnoreAction;
};

} // namespace kvr::testsupport
