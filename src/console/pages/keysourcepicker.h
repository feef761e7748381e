#pragma once
// What the key options need of the two source windows: set a target kind, preselect the stored
// source and show the window, or run the window's Assign for a drop from its tree. The main
// window implements it over its source windows; the windows write the key themselves (logic
// kinds 1 and 10, audio kinds 10 and 11) and then have the options shown again.

#include <cstdint>

class QMimeData;

namespace kvr::console {

enum class SourceWindow { Logic, Audio };

// Target kinds of the key.
inline constexpr int kLampSourceRowKind = 1;  // logic: the selected row of the lamp-source list
inline constexpr int kKeyConditionKind = 10;  // logic: condition or lamp-element source
inline constexpr int kLeftSourceKind = 10;    // audio: left source
inline constexpr int kRightSourceKind = 11;   // audio: right source

class KeySourcePicker {
public:
    virtual ~KeySourcePicker() = default;
    // Sets the window's target kind, selects the stored source in its tree and shows it.
    virtual void Pick(SourceWindow window, int kind, std::uint16_t stored) = 0;
    // A drop of the window's tree: sets the kind and runs its Assign.
    virtual void AssignDropped(SourceWindow window, int kind) = 0;
    // Whether a drag comes from the window's tree.
    virtual bool IsSourceDrag(SourceWindow window, const QMimeData* data) const = 0;
};

} // namespace kvr::console
