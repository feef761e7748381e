#pragma once
// The project tree as data: which nodes the open project gives, in the order the tree shows
// them, and which page, device and slot a selected node stands for. The main window turns the
// nodes into tree items and the route into its page switch.

#include <compare>
#include <string>
#include <vector>

namespace kvr::app {

class ProjectAccess;

// Image index of nodes without a marker of their own.
inline constexpr int DefaultImage = -1;
// Slot node of DSP slot j: 10000 + j.
inline constexpr int SlotImageBase = 10000;

inline constexpr const char* FrameIONodeText = "DSP Frame I/O";
inline constexpr const char* ConsoleNodeText = "Console";
inline constexpr const char* AudioNodeText = "Audio System";
inline constexpr const char* LogicNodeText = "Logic System";

struct TreeNodeSpec {
    int Level = 0;  // 0 root, 1 device, 2 device page, 3 sub-page or DSP slot
    std::string Text;
    int ImageIndex = DefaultImage;
    int Device = -1; // the device the node belongs to; -1 for the root
    bool FixedModel = false; // a device node of a fixed-model device
};

// What names a node across rebuilds: its device, level and marker, and below the device its
// text. A device node's own text (its name, ", Online") may change, so it is left out.
struct TreeNodeKey {
    int Device = -1;
    int Level = 0;
    int ImageIndex = DefaultImage;
    std::string Text;
    auto operator<=>(const TreeNodeKey&) const = default;
};
TreeNodeKey KeyOf(const TreeNodeSpec& Node);

// Every node in tree order (a parent before its children): the root, then per device its node
// and, unless it is a fixed-model device, its pages.
std::vector<TreeNodeSpec> ProjectTreeNodes(const ProjectAccess& Project);

// Add Device while fewer than 20 devices are not fixed-model devices; Remove Device while there
// is at least one.
struct DeviceButtons {
    bool AddEnabled = false;
    bool RemoveEnabled = false;
};
DeviceButtons DeviceButtonStates(const ProjectAccess& Project);

enum class TreePage { None, Project, Device, DummyDevice, FrameIO, Console, Logic, Audio };

struct PageRoute {
    TreePage Page = TreePage::None;
    int CurDevice = -1;
    int CurSlot = -1;        // the frame I/O page's slot: 255 for the whole frame; -1 leaves it
    int ImageIndex = DefaultImage; // the selected node's marker; the audio and logic pages read it
    const char* Panel = "";  // the page panel that shows it
};

// Where a selection leads. Selected is the node's index in Nodes (its absolute index); out of
// range means no selection. Only a node's position and the fixed texts of level-2 nodes decide:
// a device or project named like a page shows the device or project page.
PageRoute RouteNode(const std::vector<TreeNodeSpec>& Nodes, int Selected);

} // namespace kvr::app
