#pragma once
// Drop targets that a page watches with its event filter (a list's viewport, a panel). The page
// keeps its own rules: which drags a target takes and what a drop does.

#include <functional>

class QDropEvent;
class QEvent;

namespace kvr::controls {

// Answers the drag events of a drop target. A drag entering or moving over it is shown as
// acceptable when accepts says so and as refused otherwise; a drop goes to dropped, which accepts
// it where it lands. True when event was one of these (the filter stops it there), false for any
// other event, which the page handles or passes on.
bool answerDragEvent(QEvent* event, const std::function<bool(const QDropEvent&)>& accepts,
                     const std::function<void(QDropEvent&)>& dropped);

} // namespace kvr::controls
