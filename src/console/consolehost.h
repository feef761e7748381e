#pragma once
// What the console page needs of the main window: the current device, the gauges, the source
// windows, the print run and the module panel. The main window implements it; tests record.

#include <vector>

class TKVRLog;

namespace kvr::model {
class TDevice;
class TProject;
}

namespace kvr::console {

struct AudioSourceStep;

class ConsoleHost {
public:
    virtual ~ConsoleHost() = default;
    // The device selected in the project tree; null when none.
    virtual model::TDevice* CurrentDevice() = 0;
    // The open project and the current device's index in it; null and -1 when none.
    virtual model::TProject* CurrentProject() = 0;
    virtual int CurrentDeviceIndex() = 0;
    virtual void UpdateResourceGauges() = 0;
    // The audio- and logic-source windows rebuild their trees.
    virtual void RebuildSourceWindows() = 0;
    // Prints the layout of the module in the slot at once ("Print module layout").
    virtual void PrintModuleLayout(int slotID) = 0;
    // The audio-source window follows the key "Key Options" shows: its steps, in their order.
    virtual void FollowAudioSources(const std::vector<AudioSourceStep>& steps) = 0;
    // The module panel shows the selection anew.
    virtual void ShowModule() = 0;
    // The protocol that takes the painter's lines; null for none.
    virtual TKVRLog* Log() = 0;
};

} // namespace kvr::console
