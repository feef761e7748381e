#pragma once
// The console layout overview (each console from above, one page per console, with its body and
// dimensions) and the module layouts (every control module once, large, one page each, in three
// documents by face size), and the face of one module printed alone from the console editor.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/printer.h"

namespace kvr::model {
class TDevice;
}

namespace kvr::reports {

class PageFrame;

// Device pixels per face unit over the page unit, by the occupied positions of a console (1-9).
float ConsoleLayoutScale(int Occupied);
// The console's width label: 160 mm a position and 56 mm of body.
std::string ConsoleWidthText(int Occupied);

struct ConsoleRows {
    int Lower = 0;    // lower-row modules other than blind modules
    int Upper = 0;    // upper-row modules other than blind overbridges
    int Occupied = 0; // positions holding a module in either row after the gaps were filled
};

// Fills the gaps of a console's rows between its first and its last module with blind modules
// (6-byte entries written into the device), the lower row only when it holds a real module, the
// upper row likewise; then counts. Consoles outside 0-5 are left alone.
ConsoleRows FillConsoleGaps(model::TDevice& Device, int Console);

// True when any of the 108 console module slots holds an entry.
bool HasConsoleModules(const model::TDevice& Device);

// The console layout section of the device Frame.FDevice: one landscape job, a page per console.
void PrintConsoleLayouts(PageFrame& Frame);

// One page of the module layouts.
struct ModulePage {
    int SlotID = 0;
    int Type = 0;
    std::string Title;
};
// One print job: the pages of one group of module types.
struct ModuleDocument {
    platform::PrinterOrientation Orientation = platform::PrinterOrientation::Portrait;
    float Scale = 0;
    int Offset = 0; // the face's vertical half-extent above the page centre, in face units
    std::vector<ModulePage> Pages;
};

// "Module " with the type's number prefix and the module's number, " OB" for the overbridges.
std::string ModuleTitle(int Type, int NumberByte);
// The module layouts of the device: its key and fader modules in type order, each type's default
// configuration once, in one document per group that has a page.
std::vector<ModuleDocument> ModuleLayoutDocuments(const model::TDevice& Device);
void PrintModuleLayouts(PageFrame& Frame);

inline constexpr const char* NothingToPrintText = "Nothing to print!";
// The module of the console editor's selection printed alone; "Nothing to print!" for a type
// without a printable face.
void PrintModule(PageFrame& Frame, const std::vector<std::uint8_t>& ModuleEntry, int ModuleSlotID);

} // namespace kvr::reports
