// How a drop target answers the drag events it receives: an enter is taken by the drag's kind
// alone (wherever it enters), a move by where it may land (also when an earlier answer had
// accepted it), and a drop lands only where a move there would be accepted.
#include "controls/dragtarget.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>

#include <memory>

using namespace kvr::controls;

namespace {

TEST(DragTarget, TakesTheKindOnEnterAndDecidesWhereItLandsPerMove)
{
    struct Case {
        const char* name;
        QEvent::Type type;
        bool kind;   // the target takes the drag's kind
        bool place;  // the drag may land at the event's point
        bool handled;
        bool accepted; // the event's state afterwards
        bool dropped;
    };
    const Case cases[] = {
        {"enter over a place that refuses", QEvent::DragEnter, true, false, true, true, false},
        {"enter of a kind not taken", QEvent::DragEnter, false, true, true, false, false},
        {"move onto a place that accepts", QEvent::DragMove, true, true, true, true, false},
        {"move onto a place that refuses, after an accepted move", QEvent::DragMove, true, false, true, false, false},
        {"move of a kind not taken", QEvent::DragMove, false, true, true, false, false},
        {"drop where it may land", QEvent::Drop, true, true, true, true, true},
        {"drop where it may not land", QEvent::Drop, true, false, true, false, false},
        {"drop of a kind not taken", QEvent::Drop, false, true, true, false, false},
        {"leave", QEvent::DragLeave, true, true, false, true, false},
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
        int dropped = 0;
        const DropRules rules{.Takes =
                                  [&](const QMimeData* Data) {
                                      EXPECT_EQ(Data, &data);
                                      return c.kind;
                                  },
                              .LandsAt =
                                  [&](const QDropEvent& Drag) {
                                      // The place is asked only of a kind the target takes, never on enter.
                                      EXPECT_TRUE(c.kind);
                                      EXPECT_NE(c.type, QEvent::DragEnter);
                                      EXPECT_EQ(Drag.position(), QPointF(3, 4));
                                      return c.place;
                                  },
                              .Dropped = [&](QDropEvent& Drop) {
                                  ++dropped;
                                  // The drop arrives accepted as proposed.
                                  EXPECT_TRUE(Drop.isAccepted());
                                  EXPECT_EQ(Drop.dropAction(), Drop.proposedAction());
                              }};
        const bool handled = answerDragEvent(event.get(), rules);
        EXPECT_EQ(handled, c.handled);
        EXPECT_EQ(event->isAccepted(), c.accepted);
        EXPECT_EQ(dropped, c.dropped ? 1 : 0);
        if (c.accepted && c.handled) {
            const auto* drag = static_cast<QDropEvent*>(event.get());
            EXPECT_EQ(drag->dropAction(), drag->proposedAction());
        }
    }
}

} // namespace
