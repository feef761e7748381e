#pragma once
// The main window's menus as data: field names, captions, short-cuts and when an item is shown.
// The window builds its menu bar from this table.

#include <span>
#include <string_view>

namespace kvr::app {

enum class ItemVisibility {
    Always,
    ServiceLevel1, // service level 1 or 2
    Never,         // hidden in the stored form and never shown
};

struct MenuSpec {
    std::string_view Name;    // field name of the menu
    std::string_view Caption;
    ItemVisibility Visibility = ItemVisibility::Always;
};

struct MenuItemSpec {
    std::string_view Menu;     // field name of the menu it belongs to
    std::string_view Name;     // field name; empty for a separator
    std::string_view Caption;  // "-" for a separator
    std::string_view ShortCut; // key sequence text, empty for none
    ItemVisibility Visibility;
    bool IsSeparator() const { return Caption == "-"; }
};

struct ToolButtonSpec {
    std::string_view Name;    // empty for a separator
    int ImageIndex;
    std::string_view Hint;
    std::string_view Handler; // the menu item whose command the button runs
};

std::span<const MenuSpec> MainMenus();
std::span<const MenuItemSpec> MainMenuItems();
std::span<const ToolButtonSpec> MainToolButtons();

bool ItemVisibleAt(ItemVisibility Visibility, int ServiceLevel);

} // namespace kvr::app
