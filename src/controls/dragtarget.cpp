#include "controls/dragtarget.h"

#include <QDropEvent>

namespace kvr::controls {

bool answerDragEvent(QEvent* event, const std::function<bool(const QDropEvent&)>& accepts,
                     const std::function<void(QDropEvent&)>& dropped)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (accepts(*drag))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: dropped(*static_cast<QDropEvent*>(event)); return true;
    default: return false;
    }
}

} // namespace kvr::controls
