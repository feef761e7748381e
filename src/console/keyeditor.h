#pragma once
// The writing side of "Key Options": every control that changes the selected key's record writes
// it into the device at once, then the options are shown again. The handlers work on the record
// of the editor state and on the lists the options view showed (its item codes), never on widgets.

#include "console/consoleeditorstate.h"
#include "console/keyoptions.h"
#include "console/keypreview.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvr::model {
class TDevice;
class TProject;
}

namespace kvr::console {

// The "Independent Key" state the record is stored with: a fader-family key is its module's own
// only while the module holds a record for it; every other module holds its keys itself.
bool IndependentKeyTicked(const ConsoleEditorState& state, model::TDevice& device);
// Stores the editor's record under the key number with the "Independent Key" state into the
// selected slot (or its type's shared table).
void StoreKeyRecord(const ConsoleEditorState& state, model::TDevice& device, int key);

// Colours byte after a click on a field: the "Color ON" row sets bits 6-7, the "Color OFF" row
// bits 4-5; the white field clears both, the pictures one each.
std::uint8_t ApplyColourField(std::uint8_t colours, ColourField field);

// One row of a "User Defined" key's lamp-source list: its logic source and its colour (0 yellow,
// 1 red, 2 green).
struct LampRow {
    std::uint16_t Source = 0;
    std::uint8_t Colour = 0;
    friend bool operator==(const LampRow&, const LampRow&) = default;
};
std::array<LampRow, 3> LampRows(const model::TKeyRecord& record);
// The colours byte made of the three row colours alone (bits 6-7 zero).
std::uint8_t LampColoursByte(const std::array<LampRow, 3>& rows);
// A row dragged onto another: the two exchange source and colour.
void ExchangeLampRows(model::TKeyRecord& record, int from, int to);

class KeyEditor {
public:
    // The device is the project's device at deviceIndex; it must exist.
    KeyEditor(ConsoleEditorState& state, model::TProject& project, int deviceIndex, KeyEditorMemory& memory);

    // "Function" (ComboBox5) and "Subfunction" (ComboBox6): items of the shown lists.
    void FunctionChanged(const KeyOptionsView& shown, int item);
    void SubfunctionChanged(const KeyOptionsView& shown, int item);
    // "Label" (Edit8) as the user typed it, 8-bit.
    void TextChanged(std::string_view text);
    // The value spin: typed text (not a number counts as 0) or a new position.
    void SpinTyped(const KeyOptionsView& shown, std::string_view text);
    void SpinChanged(const KeyOptionsView& shown, int position);
    // One of the five option boxes was clicked (box 0-4); ticked holds every box's state after it.
    void OptionClicked(const KeyOptionsView& shown, int box, std::array<bool, 5> ticked);
    void TalkSourceChanged(const KeyOptionsView& shown, int item);
    void TalkDestinationChanged(int item);
    // The resource destination or insert box.
    void DestinationChanged(const KeyOptionsView& shown, int item);
    // Encoder box 0-4 of "Encoder Function Set".
    void EncoderChanged(const KeyOptionsView& shown, int box, int item);
    void AccessGroupChanged(int item);
    void FaderChannelChanged(int item);
    void ColourClicked(ColourField field);

    // The lamp-source list of a "User Defined" key; row -1 = none selected.
    void LampColourChosen(int row, int colour);
    void LampSourceSelf(const KeyOptionsView& shown, int row);
    void LampRowDropped(int from, int to);

    // A user-group box (group 1-8) on the Authorisation page.
    void UserGroupClicked(int group, bool ticked);

    // The same-colour warning raised while a handler showed the options again; empty for none.
    const std::string& Warning() const { return warning_; }

private:
    bool Guarded() const { return state_.Filling != 0; }
    bool KeyModule() const;
    void Store(int key);
    void StoreSelected();
    void StoreOwnKey();
    void Refresh();

    ConsoleEditorState& state_;
    model::TProject& project_;
    int deviceIndex_;
    model::TDevice& device_;
    KeyEditorMemory& memory_;
    std::string warning_;
};

} // namespace kvr::console
