#pragma once
// The rotary knob's value rules without a widget: position, limits, drag steps and keys. The
// widget forwards its input here and repaints; `changed` is the knob's OnChange.

#include <functional>

namespace kvr::controls {

enum class TKVRPoti3Style { Normal, Pulse };

// Virtual-key codes the knob reads.
enum KnobKey : int {
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
};

class KnobModel {
public:
    int Position() const { return position_; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Range() const { return range_; }
    int Resolution() const { return resolution_; }
    int Difference() const { return difference_; }
    bool Enabled() const { return enabled_; }
    TKVRPoti3Style Style() const { return style_; }
    bool Dragging() const { return dragging_; }

    // Ignored while disabled; clamped in Normal style; a change raises `changed`.
    void SetPosition(int value);
    // Each raises `changed` when the value differs; the position follows a limit that passes it.
    void SetMin(int value);
    void SetMax(int value);
    // Pixels of mouse travel per step; the drag step divides by it, so it stays 1 or more.
    void SetResolution(int value);
    void SetEnabled(bool value) { enabled_ = value; }
    void SetStyle(TKVRPoti3Style value) { style_ = value; }

    // Left button down at x: the drag starts (also while disabled; moves then change nothing).
    void StartDrag(int x);
    // Mouse at x; leftHeld false ends the drag. Returns true while the knob still drags.
    bool DragTo(int x, bool leftHeld);
    void EndDrag() { dragging_ = false; }
    // A key press by virtual-key code; every key on an enabled knob raises `changed`.
    void KeyDown(int key);

    std::function<void()> changed;

private:
    void raise();
    void setRange();

    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    int range_ = 100;
    int resolution_ = 2;
    int difference_ = 0;
    bool enabled_ = true;
    TKVRPoti3Style style_ = TKVRPoti3Style::Normal;
    bool dragging_ = false;
    int lastDragX_ = 0;
    int lastDiffX_ = 0;
};

} // namespace kvr::controls
