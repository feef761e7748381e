#pragma once
// Drop targets that a page watches with its event filter (a list's viewport, a panel) or that
// answer their own drag events. The page keeps its own rules: which drags a target takes, where
// they may land and what a drop does; one answer applies them the same way everywhere.

#include <functional>

class QDropEvent;
class QEvent;
class QMimeData;

namespace kvr::controls {

struct DropRules {
    // Whether the target takes drags of this kind at all. Asked when a drag enters the target,
    // wherever it enters: a refused enter would block every later move of that drag over it.
    std::function<bool(const QMimeData*)> Takes = {};
    // Whether a drag the target takes may land at the event's point; asked on every move and
    // again at the drop. Left empty: anywhere over the target.
    std::function<bool(const QDropEvent&)> LandsAt = {};
    // What a drop does; runs only where the drag may land, with the drop accepted as proposed
    // (the handler may still change the action, or ignore the drop).
    std::function<void(QDropEvent&)> Dropped = {};
};

// Answers the drag events of a drop target by its rules: an enter is shown as acceptable when
// the target takes the drag's kind, a move when the drag may land at its point (also when an
// earlier answer had accepted it), and a drop lands only where a move there is accepted. True
// when event was one of these (a filter stops it there), false for any other event, which the
// page handles or passes on.
bool answerDragEvent(QEvent* event, const DropRules& rules);

} // namespace kvr::controls
