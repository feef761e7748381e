#pragma once
// The "Device links" page without its widgets: the list rows, the tree of the link selection
// dialog and its checks, and the Add flow with the dialog behind an interface.

#include <string>
#include <vector>

#include "model/devicelinks.h"

namespace kvr::model {
class TProject;
}
namespace kvr::platform {
class Prompter;
}

namespace kvr::app::frameio {

struct LinkProgress;

enum LinkSelectMode : int { lsDestination = 1, lsSource = 2 };

// One node of the dialog's tree: level 0 device, 1 slot, 2 channel or MADI port with its choice.
struct LinkTreeNode {
    int Level = 0;
    std::string Text;
    int Word = 0;
    int Device = -1;
    int Type = -1;
    friend bool operator==(const LinkTreeNode&, const LinkTreeNode&) = default;
};
std::vector<LinkTreeNode> BuildLinkTree(model::TProject& Project, int Mode, int DeviceIndex, int LinkType);

// The dialog's fields: preset before a pass, the choice after it.
struct LinkChoice {
    int DeviceIndex = -1;
    int SlotIndex = 0;
    int ChannelWord = 0;
    int LinkType = -1;
    int LinkDirection = 0;
};
// Select on a level-2 node: fills the choice and answers the message that keeps the dialog
// open, empty when it may close with OK.
std::string TakeLinkNode(model::TProject& Project, int Mode, const LinkTreeNode& Node, int Direction, LinkChoice& Choice);

std::string LinkConnectorText(int Type, int Word);

struct LinkRow {
    int ID = 0;
    std::string SourceDevice, SourceSlot, SourceConnector, TargetDevice, TargetSlot, TargetConnector;
};
std::vector<LinkRow> LinkRows(model::TProject& Project);

// The modal dialog: false when the user cancelled.
struct LinkDialog {
    virtual ~LinkDialog() = default;
    virtual bool Choose(int Mode, LinkChoice& Choice) = 0;
};

inline constexpr const char* kLinkListFull = "No further device link can be stored: a project holds at most 64 links.";

// Add: two dialog passes, the checks and questions, AdaptLink, then the link (and for a
// two-way choice its reverse). True when the list should be refreshed.
bool AddLinkFlow(model::TProject& Project, LinkDialog& Dialog, platform::Prompter& Prompter, LinkProgress* Progress);

} // namespace kvr::app::frameio
