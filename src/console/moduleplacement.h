#pragma once
// Consoles of a device and the modules in their slots: the placement rules, module IDs (key
// resource blocks), removal with clean-up, swaps and the console commands. Every operation works
// on the device through the data model; a refusal comes back as its message text and leaves the
// device image as it was.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::console {

inline constexpr int kMaxConsoles = 6;
inline constexpr int kModuleIDCount = 12;
inline constexpr int kMaxFaderStrips = 40; // ten fader modules of four strips
inline constexpr int kStudioPanelPosition = 12;
inline constexpr std::size_t kConsoleNameWidth = 16;

inline constexpr std::array<int, 3> FaderModuleTypes{20, 21, 29};
inline constexpr std::array<int, 2> FaderOverbridgeTypes{23, 28};
inline constexpr std::array<int, 7> LowerRowTypes{1, 10, 11, 12, 20, 21, 29};
inline constexpr std::array<int, 2> BlankModuleTypes{1, 2};
inline constexpr std::array<int, 3> TwoIDModuleTypes{10, 12, 25};
inline constexpr std::array<int, 3> OneIDModuleTypes{11, 13, 26};

// Slot positions: 0-8 the lower row, 10-18 the upper row above them.
constexpr bool IsSlotPosition(int position) { return (position >= 0 && position <= 8) || (position >= 10 && position <= 18); }
constexpr bool IsUpperRow(int position) { return position >= 10; }
// Setup entry ID of a slot: 100 + 20 x console + position.
constexpr int ModuleSlotID(int console, int position) { return 100 + 20 * console + position; }

// The entry of a slot; empty for an empty slot or a position that is none.
std::vector<std::uint8_t> ModuleEntryAt(const model::TDevice& device, int console, int position);
// Consoles of the device (header byte 66), never more than six: beyond them slot IDs would
// reach into other entries.
int ConsoleCount(const model::TDevice& device);
// True when the console's Studio Panel position holds one.
bool HasStudioPanel(const model::TDevice& device, int console);

// Module ID 0-11 for a key module (the highest free pair for two-ID types, the lowest free one
// otherwise), 0 for fader modules, -1 for every other type or when none is free. Only modules
// placed on consoles count.
int FindFreeModuleID(const model::TDevice& device, int type);
// True when a key module of the type could hold that ID (and the next one for two-ID types)
// because no placed module uses them.
bool ModuleIDsFree(const model::TDevice& device, int type, int moduleID);
// Gives the module ID's pots the type's default names, or clears them (which also drops their
// assignment).
void NameModulePots(model::TDevice& device, int type, int moduleID);
void ClearModulePots(model::TDevice& device, int type, int moduleID);
// Clears every reference to the logic sources of the records' keys and the pot names of a key
// module's ID, as deleting it does.
void ReleaseKeyModule(model::TDevice& device, const std::vector<std::uint8_t>& entry);

struct Placement {
    int Position = -1;    // the position used
    std::string Refusal;  // the message when refused
};
// A new module of the type on the console at the position (a Studio Panel always at 12). A module
// already in the slot is removed as Delete Module does, once every check has passed.
Placement AddConsoleModule(model::TDevice& device, int console, int position, int type);
// Removes a slot's module and releases what it held; an empty slot is left alone.
void RemoveConsoleModule(model::TDevice& device, int console, int position);
// Exchanges two positions of a row; a fader-family module takes its linked row with it.
void SwapConsoleModules(model::TDevice& device, int console, int from, int to);
void MoveConsoleModules(model::TDevice& device, int from, int to);
// Removes a console with its modules and name; the following consoles move down.
void RemoveConsole(model::TDevice& device, int console);
// Moves the names after the console down by one place within the stored names.
void DropConsoleName(model::TDevice& device, int console);

// The tab texts of the consoles; a device without a console shows one, "Console 1". Showing
// writes nothing: the count of one is stored when that console is given a module, a name or a
// second console (KeepOneConsole).
std::vector<std::string> ConsoleTabs(model::TDevice& device);
void KeepOneConsole(model::TDevice& device);
// One more console; false when there are six already.
bool AddConsole(model::TDevice& device);
std::string ConsoleName(model::TDevice& device, int console);
// Stores the first 16 characters as the console's name.
void RenameConsole(model::TDevice& device, int console, const std::string& name);

} // namespace kvr::console
