#include "controls/dragtarget.h"

#include <QDropEvent>

namespace kvr::controls {

namespace {
bool MayLand(const QDropEvent& drag, const DropRules& rules)
{
    return rules.Takes && rules.Takes(drag.mimeData()) && (!rules.LandsAt || rules.LandsAt(drag));
}
} // namespace

bool answerDragEvent(QEvent* event, const DropRules& rules)
{
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (rules.Takes && rules.Takes(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (MayLand(*drag, rules))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!MayLand(*drop, rules)) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        if (rules.Dropped)
            rules.Dropped(*drop);
        return true;
    }
    default: return false;
    }
}

} // namespace kvr::controls
