#include "app/mainactions.h"

#include <array>

namespace kvr::app {

namespace {

using V = ItemVisibility;

constexpr std::array<MenuSpec, 6> Menus{{
    {"File1", "File"},
    {"Diagnose1", "View"},
    {"Transfer1", "Transfer"},
    {"Options1", "Options"},
    {"Help1", "Help"},
    {"KVR1", "KVR", V::Never}, // its commands are the manufacturer's
}};

constexpr std::array<MenuItemSpec, 35> Items{{
    {"File1", "New2", "New Project", "", V::Always},
    {"File1", "N1", "-", "", V::Always},
    {"File1", "New1", "Open Project File ...", "Ctrl+O", V::Always},
    {"File1", "RecentMenu", "Recent files", "", V::Always},
    {"File1", "ImportSlotConfig1", "Import Slot-Config ...", "", V::Never},
    {"File1", "N2", "-", "", V::Always},
    {"File1", "Save1", "Save Project File", "Ctrl+S", V::Always},
    {"File1", "Savecopyas1", "Save Copy of Project file as ...", "", V::Always},
    {"File1", "SaveAs1", "Save Project File as...", "", V::Always},
    {"File1", "N3", "-", "", V::Always},
    {"File1", "LoadexistingDevice1", "Replace Device from File ...", "", V::Always},
    {"File1", "ExtractMPJ1", "Extract Device to File ...", "", V::Always},
    {"File1", "N4", "-", "", V::Always},
    {"File1", "Console1", "Print ...", "", V::Always},
    {"File1", "ExportFrameIOasCSV1", "Export DSP Frame I/O as CSV ...", "", V::Always},
    {"File1", "ProjSum", "Create project summary ...", "", V::ServiceLevel1},
    {"File1", "N11", "-", "", V::Never},
    {"File1", "Exit1", "Exit", "", V::Always},
    {"Diagnose1", "MaintenanceCX451", "Maintenance", "F7", V::Always},
    {"Diagnose1", "N5", "-", "", V::Always},
    {"Diagnose1", "AudioTree1", "Audio Sources", "F6", V::Always},
    {"Diagnose1", "ResourceWindow1", "Logic Sources", "F5", V::Always},
    {"Diagnose1", "N6", "-", "", V::Always},
    {"Diagnose1", "GlobalLogicStates1", "Global Logic Monitor", "", V::Always},
    {"Diagnose1", "Watches1", "Watches", "", V::Always},
    {"Diagnose1", "N7", "-", "", V::Always},
    {"Diagnose1", "Fittingreport1", "Fitting report", "Ctrl+R", V::Always},
    {"Diagnose1", "Info1", "File Info", "", V::ServiceLevel1},
    {"Transfer1", "LoadtoDevice1", "Load to Device", "", V::Always},
    {"Transfer1", "LoadFromDevice1", "Load from Device", "", V::Always},
    {"Options1", "Configuration2", "Configuration...", "", V::Always},
    {"Options1", "CheckCards1", "CheckCards", "", V::Never},
    {"Help1", "About1", "About...", "", V::Always},
    {"KVR1", "REPAIR1", "extract && recreate slots", "", V::Never},
    {"KVR1", "checkslotchannels1", "check slot channels", "", V::Never},
}};

constexpr std::array<ToolButtonSpec, 8> ToolButtons{{
    {"ToolButton2", 0, "Create new Project", "New2"},
    {"ToolButton1", 1, "Load Project from File", "New1"},
    {"ToolButton5", 2, "Save Project to File", "Save1"},
    {"", -1, "", ""},
    {"ToolButton4", 5, "Print", "Console1"},
    {"", -1, "", ""},
    {"ToolButton7", 10, "Load to device", "LoadtoDevice1"},
    {"ToolButton8", 9, "Load from device", "LoadFromDevice1"},
}};

} // namespace

std::span<const MenuSpec> MainMenus() { return Menus; }
std::span<const MenuItemSpec> MainMenuItems() { return Items; }
std::span<const ToolButtonSpec> MainToolButtons() { return ToolButtons; }

bool ItemVisibleAt(ItemVisibility Visibility, int ServiceLevel)
{
    switch (Visibility) {
    case ItemVisibility::Always: return true;
    case ItemVisibility::ServiceLevel1: return ServiceLevel >= 1;
    case ItemVisibility::Never: return false;
    }
    return false;
}

} // namespace kvr::app
