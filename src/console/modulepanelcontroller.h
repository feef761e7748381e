#pragma once
// The right half of the console page for the selected module: which groups show, the module's
// identity, its fader options, the encoder defaults of its type, the default display text, the
// rotary selector default and the "Independent Key" box; and the handlers that write them.

#include "console/consoleeditorstate.h"

#include <array>
#include <string>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::console {

struct ModulePanelView {
    std::string ModelLabel;      // Label17
    std::string ModuleIDText;    // Edit7
    int AccessGroup = 1;         // Edit4 and UpDown2, 1-4
    bool AccessGroupVisible = true;

    bool OtherOptions = false;   // GroupBox17
    bool OtherOptionsEnabled = true;
    bool PleaseSelect = false;   // Panel33 "Please select a module or key!"
    bool KeyOptions = false;     // GroupBox2
    bool Special = false;        // GroupBox35
    bool AuthPanel = false;

    bool FaderOptions = false;   // Zero_dB, InvertFader
    bool ZeroDb = false;
    bool InvertFader = false;

    bool Encoders = false;       // panRotEncDefault
    std::array<bool, 5> EncoderVisible{};
    std::array<int, 5> EncoderItem{}; // items of the encoder function list

    bool RotarySelector = false; // DefaultRotSelPanel
    int RotarySelectorItem = 0;  // RotSelDefaultBox, 0-30

    bool DisplayDefault = false; // DefaultDisplayPanel
    std::vector<std::string> DisplayTexts; // the 14 items of DisplayTextBox
    int DisplayTextItem = -1;    // -1: leave the selection as it is

    bool LampSource = false;     // the Central Overbridge's lamp-source controls
    std::string LampSourceLabel; // Label50

    bool IndependentKey = false; // DependKeyBox shown
    bool IndependentKeyTicked = true;

    // Filled by the parts that come with the key editor and the user groups.
    bool FillKeyFunctionList = false;
    bool ShowUserGroups = false;
};

// What the panel shows for the selection of the state; reads the device only (the type's shared
// key table may be created on the way).
ModulePanelView ShowModule(const ConsoleEditorState& state, model::TDevice& device);

// Option handlers; each writes the device at once and returns quietly while the page fills.
void DisplayTextChanged(ConsoleEditorState& state, model::TDevice& device, int item);
void ZeroDbClicked(ConsoleEditorState& state, model::TDevice& device, bool ticked);
void InvertFaderClicked(ConsoleEditorState& state, model::TDevice& device, bool ticked);
// encoder 1-5; the item of the encoder function list. One setting holds for every module of the type.
void EncoderDefaultChanged(ConsoleEditorState& state, model::TDevice& device, int encoder, int item);
void RotarySelectorDefaultChanged(ConsoleEditorState& state, model::TDevice& device, int item);
// Ticked: the module takes its own copy of the shown record; unticked: the key falls back to its
// type's shared record.
void IndependentKeyClicked(ConsoleEditorState& state, model::TDevice& device, bool ticked);

} // namespace kvr::console
