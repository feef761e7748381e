#pragma once
// What the audio-source window does while "Key Options" shows a key: the key editor sets its
// filter (the rotary monitor selectors for the rows that may pick them, the inputs for a routing
// input), points it at the device whose sources the key may use, and has it rebuild its tree.
// The steps come in the order the window takes them; the console host carries them out.

#include "console/consoleeditorstate.h"
#include "console/keyoptions.h"

#include <vector>

namespace kvr::model {
class TProject;
}

namespace kvr::console {

// Filter bits of the audio-source window that the key editor sets or clears.
inline constexpr int kAudioFilterInputs = 0x01;
inline constexpr int kAudioFilterRotarySelect = 0x10;

struct AudioSourceStep {
    enum Kind { SetFilter, ClearFilterBits, SetDevice, Rebuild };
    Kind What = Rebuild;
    int Value = 0; // the filter, the bits to clear, or the device index

    bool operator==(const AudioSourceStep&) const = default;
};

// The steps for the key that FillKeyFunctionList just showed (shown is its view, the state holds
// the record it showed); none when it showed no key.
std::vector<AudioSourceStep> AudioSourceSteps(const KeyOptionsView& shown, const ConsoleEditorState& state,
                                              model::TProject& project, int deviceIndex);

} // namespace kvr::console
