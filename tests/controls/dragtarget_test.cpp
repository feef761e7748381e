// How a drop target answers the drag events its page filters: a drag over it shown as acceptable
// or refused (also when an earlier answer had accepted it), a drop handed on, other events left.
#include "controls/dragtarget.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>

#include <memory>

using namespace kvr::controls;

namespace {

TEST(DragTarget, AnswersDragsAndHandsDropsOn)
{
    struct Case {
        const char* name;
        QEvent::Type type;
        bool accepts;
        bool handled;
        bool accepted; // the event's state afterwards
        bool dropped;
    };
    const Case cases[] = {
        {"enter, taken", QEvent::DragEnter, true, true, true, false},
        {"enter, refused", QEvent::DragEnter, false, true, false, false},
        {"move, taken", QEvent::DragMove, true, true, true, false},
        {"move, refused after an accepted move", QEvent::DragMove, false, true, false, false},
        // The drop handler decides alone (here it leaves the event as it came); the answer over
        // the target is not asked again.
        {"drop", QEvent::Drop, false, true, true, true},
        {"leave", QEvent::DragLeave, true, false, true, false},
    };
    QMimeData data;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QEvent> event;
        if (c.type == QEvent::DragEnter)
            event = std::make_unique<QDragEnterEvent>(QPoint(3, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                                                      Qt::NoModifier);
        else if (c.type == QEvent::DragMove)
            event = std::make_unique<QDragMoveEvent>(QPoint(3, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                                                     Qt::NoModifier);
        else if (c.type == QEvent::Drop)
            event = std::make_unique<QDropEvent>(QPointF(3, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                                                 Qt::NoModifier);
        else
            event = std::make_unique<QEvent>(c.type);
        // Qt carries an accepted answer over to the next move; a refusal must clear it.
        event->accept();
        int asked = 0;
        int dropped = 0;
        const bool handled = answerDragEvent(
            event.get(),
            [&](const QDropEvent& Drag) {
                ++asked;
                EXPECT_EQ(Drag.mimeData(), &data);
                return c.accepts;
            },
            [&](QDropEvent& Drop) {
                ++dropped;
                EXPECT_EQ(Drop.position(), QPointF(3, 4));
            });
        EXPECT_EQ(handled, c.handled);
        EXPECT_EQ(event->isAccepted(), c.accepted);
        EXPECT_EQ(dropped, c.dropped ? 1 : 0);
        EXPECT_EQ(asked, c.type == QEvent::DragEnter || c.type == QEvent::DragMove ? 1 : 0);
        if (c.accepts && asked) {
            const auto* drag = static_cast<QDropEvent*>(event.get());
            EXPECT_EQ(drag->dropAction(), drag->proposedAction());
        }
    }
}

} // namespace
