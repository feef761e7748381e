#pragma once
// The display side of the key editor: what "Key Options" shows for the selected key's record,
// built from the catalogue row of its function and the project. Building it may store the record
// once (a spin value outside its range, a talk source or destination no longer listed).

#include "console/consoleeditorstate.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kvr::model {
class TProject;
}

namespace kvr::console {

struct KeyOptionsView {
    bool Shown = false;
    std::string Number;          // Edit9, "#C3.KEY12"
    std::string Label;           // Edit8, at most 29 characters
    std::string LampSourceCaption; // UDLampSource
    std::uint16_t OwnLogicSource = 0;

    std::vector<std::string> Functions; // ComboBox5
    std::vector<int> FunctionCodes;
    int FunctionItem = -1;

    bool SubVisible = false;
    bool SubEnabled = true;
    std::string SubCaption = "Subfunction"; // Label21
    std::vector<std::string> Subfunctions;  // ComboBox6
    std::vector<int> SubfunctionCodes;
    std::vector<int> PotIDs;
    int SubItem = -1;

    std::array<std::string, 5> OptionCaptions{};
    std::array<bool, 5> OptionVisible{};
    std::array<bool, 5> OptionEnabled{true, true, true, true, true};
    std::array<bool, 5> OptionTicked{};
    int PairKind = 0;

    bool SpinVisible = false;
    bool SpinLabelVisible = false;
    std::string SpinCaption; // Label22
    int SpinMin = 0;
    int SpinMax = 0;
    int SpinValue = 0;
    bool SpinEnabled = true;

    bool AccessGroupPanel = false; // EF_AccPanel
    int AccessGroupItem = 0;

    bool FaderChannelPanel = false; // DirectInputSelectPanel
    std::vector<std::string> FaderChannels;
    int FaderChannelItem = -1;

    bool GreenOffered = true;
    bool LampSourceList = false; // UserDefPanel
    std::array<std::string, 3> LampSources{};
    std::array<std::uint16_t, 3> LampSourceIDs{}; // each row's logic source
    std::array<int, 3> LampColours{};             // each row's colour: 0 yellow, 1 red, 2 green

    // The key preview: drawn only for keys (not the lamp elements of the Central Overbridge).
    bool Preview = false;
    int ModuleType = 0;
    model::TKeyRecord Record{}; // the record as shown
    std::uint32_t InactiveColour = 0xFFFFFF; // Shape11, 0x00BBGGRR; silver for a "User Defined" key

    bool TalkBoxes = false;
    std::vector<std::string> TalkSources;
    std::vector<int> TalkChannels;
    int TalkSourceItem = 0;
    std::vector<std::string> TalkDestinations;
    int TalkDestinationItem = 0;

    bool ResourceDestination = false; // ResourceDest
    std::vector<std::string> ResourceDestItems;
    std::vector<std::uint32_t> ResourceDestObjects;
    int ResourceDestItem = 0;
    bool ResourceDestEnabled = true;

    bool EncoderSet = false; // RotEncSetPanel
    std::vector<std::string> EncoderCaptions;
    std::array<int, 5> EncoderItems{};

    bool LeftSourceButton = false;
    bool RightSourceButton = false;
    bool ConditionButton = false;
    bool LeftPanel = false;
    bool RightPanel = false;
    std::string LeftSourceName;  // Panel21
    std::string RightSourceName; // Panel22

    // The same-colour warning, shown once per run.
    std::string Warning;
};

// What the key editor remembers for the whole run.
struct KeyEditorMemory {
    bool ColourWarningShown = false;
};

KeyOptionsView FillKeyFunctionList(ConsoleEditorState& state, model::TProject& project, int deviceIndex,
                                   KeyEditorMemory& memory);

} // namespace kvr::console
