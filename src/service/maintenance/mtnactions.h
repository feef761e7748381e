#pragma once
// The actions and menus of the maintenance window as data: the widget builds its main menu and
// the tree's popup from these tables, and the frame keeps each item's state by its name.

#include <string>
#include <vector>

namespace kvr::service {

struct TMtnActionSpec {
    const char* Name;     // the component name; the frame's state key
    const char* Caption;
    const char* Shortcut; // Qt key sequence text, "" for none
    bool Checkable;
};

// One entry of a menu: an item of its own name, bound to an action (or a submenu), or a
// separator ("-"). An entry shows when both its own and its action's state say so.
struct TMtnMenuEntry {
    const char* Name;     // the entry's own state key; "" when only the action's state counts
    const char* Action;   // the action, or the caption of a submenu; "-" is a separator
    std::vector<TMtnMenuEntry> Items; // a submenu's entries
};

struct TMtnMenuSpec {
    const char* Name;    // state key of the menu
    const char* Caption;
    std::vector<TMtnMenuEntry> Entries;
};

const std::vector<TMtnActionSpec>& MaintenanceActions();
const TMtnActionSpec* FindMaintenanceAction(const std::string& Name);
const std::vector<TMtnMenuSpec>& MaintenanceMainMenu();
const std::vector<TMtnMenuEntry>& MaintenancePopupMenu();

} // namespace kvr::service
