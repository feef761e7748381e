#pragma once
// What the console page needs of the main window: the current device, the gauges, the source
// windows, the print run and the module panel. The main window implements it; tests record.

class TKVRLog;

namespace kvr::model {
class TDevice;
class TProject;
}

namespace kvr::console {

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
    // The module panel shows the selection anew.
    virtual void ShowModule() = 0;
    // The protocol that takes the painter's lines; null for none.
    virtual TKVRLog* Log() = 0;
};

} // namespace kvr::console
