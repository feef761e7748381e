#include "controls/knobmodel.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kvr::controls {

namespace {

// Sums and differences saturate at the int range: an endless encoder or extreme limits must not
// overflow.
int saturate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// Upper limit first, then the lower one, so the result is defined also when Min exceeds Max
// (the two limits do not clamp each other).
int clampTo(std::int64_t v, int lo, int hi)
{
    if (v > hi)
        v = hi;
    if (v < lo)
        v = lo;
    return static_cast<int>(v);
}

} // namespace

void KnobModel::raise()
{
    if (changed)
        changed();
}

void KnobModel::setRange()
{
    const std::int64_t span = static_cast<std::int64_t>(max_) - min_;
    range_ = span == 0 ? 1 : saturate(span < 0 ? -span : span);
}

void KnobModel::SetPosition(int value)
{
    if (!enabled_)
        return;
    if (style_ == TKVRPoti3Style::Normal)
        value = clampTo(value, min_, max_);
    if (value == position_)
        return;
    position_ = value;
    raise();
}

void KnobModel::SetMin(int value)
{
    if (value == min_)
        return;
    min_ = value;
    setRange();
    if (position_ < value)
        position_ = value;
    raise();
}

void KnobModel::SetMax(int value)
{
    if (value == max_)
        return;
    max_ = value;
    setRange();
    if (position_ > value)
        position_ = value;
    raise();
}

void KnobModel::SetResolution(int value)
{
    resolution_ = std::max(1, value);
}

void KnobModel::StartDrag(int x)
{
    dragging_ = true;
    lastDragX_ = x;
    lastDiffX_ = x;
}

bool KnobModel::DragTo(int x, bool leftHeld)
{
    if (!enabled_ || !dragging_)
        return dragging_;
    if (!leftHeld) {
        dragging_ = false;
        return false;
    }
    const int step = saturate((static_cast<std::int64_t>(x) - lastDragX_) / resolution_);
    if (step != 0)
        lastDragX_ = x; // the remainder of the travel is dropped
    const std::int64_t moved = static_cast<std::int64_t>(position_) + step;
    if (style_ == TKVRPoti3Style::Normal) {
        position_ = clampTo(moved, min_, max_);
    } else {
        position_ = saturate(moved);
        difference_ = saturate((static_cast<std::int64_t>(x) - lastDiffX_) / resolution_);
        lastDiffX_ = x;
    }
    raise();
    return true;
}

void KnobModel::KeyDown(int key)
{
    if (!enabled_)
        return;
    int step = 0;
    switch (key) {
    case VK_PRIOR: step = 10; break;
    case VK_NEXT: step = -10; break;
    case VK_LEFT: case VK_DOWN: step = -1; break;
    case VK_UP: case VK_RIGHT: step = 1; break;
    default: break;
    }
    if (style_ == TKVRPoti3Style::Normal) {
        if (key == VK_END)
            SetPosition(max_);
        else if (key == VK_HOME)
            SetPosition(min_);
        else if (step != 0)
            SetPosition(saturate(static_cast<std::int64_t>(position_) + step));
    } else if (step != 0) {
        position_ = saturate(static_cast<std::int64_t>(position_) + step);
        difference_ = step;
    }
    raise();
}

} // namespace kvr::controls
