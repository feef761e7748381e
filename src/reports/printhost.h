#pragma once
// What the printed documentation needs of the main window: the open project, the current device
// (the print run moves it through the printed devices), the project's file, the printer-debug
// switch, the log, the console editor's selected module and today's date.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::model {
class TProject;
}

namespace kvr::reports {

// The console editor's selection: the selected module's setup entry (module type in bytes 0-1 in
// host order, its number counted from 0 in byte 4) and its place.
struct ModuleSelection {
    std::vector<std::uint8_t> Entry;
    int Console = 0;
    int Position = 0;
};

// Module slot IDs are 100 + 20 x console + position.
inline int ModuleSlotID(const ModuleSelection& Selection) { return 100 + 20 * Selection.Console + Selection.Position; }

class PrintHost {
public:
    virtual ~PrintHost() = default;

    // Null without an open project.
    virtual model::TProject* Project() = 0;
    virtual int CurDevice() const = 0;
    virtual void SetCurDevice(int Device) = 0;
    // Empty until the project was saved or loaded from a file.
    virtual std::string ProjectFileName() const = 0;
    virtual bool PrinterDebug() const = 0;
    virtual void Log(const std::string& Line) = 0;
    // A line at a level of the log (0 the most important).
    virtual void Log(const std::string& Line, int Level)
    {
        (void)Level;
        Log(Line);
    }
    virtual ModuleSelection ConsoleSelection() const = 0;
    // Today in the system's short date format.
    virtual std::string Today() const = 0;
};

} // namespace kvr::reports
