#pragma once
// What Assign writes for each target kind of the two source windows, on the current device,
// without the windows. Each kind's selection and refresh come from the target its page
// registered; without a target nothing is written.

#include <cstdint>
#include <map>
#include <string>

#include "editors/common/sourcepicker.h"

namespace kvr::model {
class TProject;
}

namespace kvr::editors {

// Target kinds of the logic-source window.
enum LogicTargetKind : int {
    ltNone = 0, ltConsoleKey = 1, ltLogicFunction = 2, ltLogicDelay = 3, ltScript = 4, ltFaderLamp = 5,
    ltFaderMute = 6, ltFaderReady = 7, ltGPORouting = 8, ltOutFktCondition = 9, ltKeyLogicFunction = 10,
    ltTalkCondition1 = 11, ltTalkCondition2 = 12, ltGlobalLogic = 13, ltSlot10Logic = 14, ltSlot20Logic = 15,
    ltSlot30Logic = 16, ltPinSource1 = 17, ltPinSource2 = 18, ltSOFCondition = 19, ltWatch = 20,
    ltFaderFF2Select = 21, ltPreparationMode = 22, ltFaderTimer = 23
};

// Target kinds of the audio-source window.
enum AudioTargetKind : int {
    atNone = 0, atLevelDetect = 1, atOutFktSource1 = 2, atOutFktSource2 = 3, atFixedProcessing = 4,
    atFaderSource = 5, atMonitorL = 6, atMonitorR = 7, atOutputRouting = 8, atMonitorBus = 9, atKeySource1 = 10,
    atKeySource2 = 11, atTalk1 = 12, atTalk2 = 13, atSourceListLeft = 14, atSourceListRight = 15,
    atSOFInput = 16, atFixedInsert = 17, atPoolFaderSource = 18, atSwitchableInsert = 19
};

// The targets pages registered, by kind.
class SourceTargets {
public:
    void Set(int Kind, SourceTarget* Target)
    {
        if (Target)
            FTargets[Kind] = Target;
        else
            FTargets.erase(Kind);
    }
    SourceTarget* Get(int Kind) const
    {
        const auto found = FTargets.find(Kind);
        return found != FTargets.end() ? found->second : nullptr;
    }

private:
    std::map<int, SourceTarget*> FTargets;
};

struct AssignOutcome {
    bool Written = false;   // the window wrote the device or handed the source to its page
    std::string Message;    // a refusal the window shows; empty for none
};

inline constexpr const char* kOffOnlyForReadyText =
    "Logic function \"Off\" can only be assigned to \"Ready signalisation\"";
inline constexpr const char* kTooManyLogicSourcesText = "Cannot add more logic sources! Maximum number is 20.";

// The kind Assign writes to. Pressed on the window while the main window owns it, an open logic
// editor (logic function, then logic delay, then script; the later wins) takes the source.
int ResolveLogicKind(int Kind, AssignSender Sender, bool OwnerIsMainWindow, const SourceTargets& Targets);

// Source.Ref is the node's ID with the chosen condition. TreeDeviceID is the device ID of the
// device the tree was built for (-1 none).
AssignOutcome AssignLogicSource(model::TProject& Project, int Device, int Kind, const PickedSource& Source,
                                const SourceTargets& Targets, std::int64_t TreeDeviceID);

// Source.Ref is the composed reference (phase reverse included), Level and Pot the window's.
AssignOutcome AssignAudioSource(model::TProject& Project, int Device, int Kind, const PickedSource& Source,
                                const SourceTargets& Targets);

} // namespace kvr::editors
