#pragma once
// What a page needs of the two source windows. A page registers a SourceTarget for each target
// kind it serves, sets the window's kind (and filter), preselects its current value and shows the
// window; its drop handlers set the kind and call Assign. Pages include this header only.

#include <cstdint>
#include <string>

#include "model/keyfunctions.h"

namespace kvr::editors {

// The source a window assigns, as the window composed it from its selected node.
struct PickedSource {
    // Logic: the node's ID with the chosen condition; audio: the node's ID with 0x2000 where the
    // tree marks a stereo item and 0x8000 for phase reverse.
    std::uint16_t Ref = 0;
    int DeviceIndex = -1; // logic: device of the node, -1 for project-wide nodes
    int Overlay = -1;     // logic: resource ID of a global-resource subscriber node
    int Level = 0;        // audio: dB, -100 = off
    int Pot = 0;          // audio: pot number of the chosen pot entry, 0 = none
    std::string Text;     // the node's text
};

// What the page has selected for a kind. Element -1: the kind's precondition is unmet and
// nothing is written.
struct TargetSelection {
    int Element = -1; // the record: function, delay, script, channel number, GPO ID, row, list ...
    int Row = -1;     // a row inside it (source row, condition row, entry row); -1 = none / append
    int Extra = -1;   // kinds 11 and 12 of the logic window: the clean feed of a clean-feed row
};

// The key being edited in the console key-function editor (key kinds of both windows).
struct KeyEdit {
    model::TKeyRecord* Record = nullptr; // the editor's current key-function record
    int ModuleSlot = 0;                  // setup ID of the selected module slot
    bool Own = false;                    // "Independent Key"
};

// Registered by a page for the kinds it serves; unregistered (null) when the page goes away.
class SourceTarget {
public:
    virtual ~SourceTarget() = default;
    virtual TargetSelection Selection(int /*Kind*/) { return {}; }
    // Key kinds: null when no key is being edited.
    virtual KeyEdit* EditedKey() { return nullptr; }
    // Kinds whose write the page does itself: the window hands the source over.
    virtual void Take(int /*Kind*/, const PickedSource& /*Source*/, const TargetSelection& /*Selection*/) {}
    // Runs after the window wrote the source, so the page shows it.
    virtual void Refresh(int /*Kind*/, const PickedSource& /*Source*/) {}
    // Logic kinds 2-4: the editor is visible with a selected element. The Assign button then
    // writes to the open editor whatever kind the window had.
    virtual bool EditorOpen(int /*Kind*/) { return false; }
    // Logic kind 20: device ID of the watch window's connection, -1 without one.
    virtual std::int64_t WatchedDeviceID() { return -1; }
};

// Who pressed Assign: the window's own button (or a double click), or a page's drop handler.
enum class AssignSender { Button, Page };

class LogicSourcePicker {
public:
    virtual ~LogicSourcePicker() = default;
    virtual void SetTarget(int Kind, SourceTarget* Target) = 0;
    virtual void SetTargetKind(int Kind) = 0;
    virtual int TargetKind() const = 0;
    virtual void SetGroupFilter(int Filter) = 0;
    virtual int GroupFilter() const = 0;
    // Full layout (condition group shown) or compact.
    virtual void SetConditionVisible(bool Visible) = 0;
    // Checks a condition of the condition group by index ("ON", "OFF", "Pulse on activate",
    // "Pulse on deactivate").
    virtual void SetConditionIndex(int /*Index*/) {}
    virtual void BuildSourceTree() = 0;
    virtual void SelectLogicSource(std::uint32_t Ref) = 0;
    virtual void SelectLogicSourceAt(std::uint32_t Ref, int DeviceIndex) = 0;
    // Device ID of the device the tree was last built for, -1 when none.
    virtual std::int64_t GetDeviceID() const = 0;
    virtual void ShowPicker() = 0;
    virtual void Assign(AssignSender Sender) = 0;
};

class AudioSourcePicker {
public:
    virtual ~AudioSourcePicker() = default;
    virtual void SetTarget(int Kind, SourceTarget* Target) = 0;
    virtual void SetTargetKind(int Kind) = 0;
    virtual int TargetKind() const = 0;
    virtual void SetGroupFilter(int Filter) = 0;
    virtual int GroupFilter() const = 0;
    virtual void SetDeviceIndex(int DeviceIndex) = 0;
    virtual void BuildSourceTree() = 0;
    virtual void SelectAudioSource(std::uint32_t Ref) = 0;
    // The selected node's reference as the tree holds it; -1 for none or a group.
    virtual int SelectedSource() const { return -1; }
    // Level, pot and phase panel (shown for pages that support them).
    virtual void SetOptionPanelVisible(bool Visible) = 0;
    virtual void SetLevel(int Level) = 0;
    // Selects the first pot entry with that pot number, "None" when there is none.
    virtual void SelectPot(int Pot) = 0;
    virtual void ShowPicker() = 0;
    virtual void Assign() = 0;
    // Moves the tree's selection to the next node of the same parent; none after the last.
    virtual void SelectNextSibling() {}
};

} // namespace kvr::editors
