#pragma once
// The rules of the console page without its widgets: page modes, console tabs, pointer, presses,
// drag and drop between the palette and the picture, the popup menus and their commands. The
// page widget forwards what the user does and draws what this says. Questions and messages go
// through the platform prompter.

#include "console/consoleeditorstate.h"
#include "console/keyeditor.h"
#include "console/keyoptions.h"
#include "console/modulepanelcontroller.h"
#include "console/usergroupboxes.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kvr::gfx {
class Canvas;
}
namespace kvr::model {
class TDevice;
}

namespace kvr::console {

class ConsoleHost;
class ModuleClipboard;

struct PaletteItem {
    const char* Caption;
    int Type;
};
inline constexpr std::array<PaletteItem, 12> ModulePalette{{
    {"Main Module KX730-010", 10},
    {"Central Module KX730-012", 12},
    {"Fader Module KX730-020", 20},
    {"Fader Module KX730-029", 29},
    {"Blank Module KX730-022", 1},
    {"Studio Panel KX730-011", 11},
    {"Central Overbridge KX730-013", 13},
    {"Fader Overbridge KX730-023", 23},
    {"Fader Overbridge KX730-028", 28},
    {"40 Pushbutton KX730-025", 25},
    {"32 Pushbutton KX730-026", 26},
    {"Blank Module KX730-022-O", 2},
}};

// Which option groups a page mode shows.
struct PageGroups {
    bool KeyOptions = false;      // GroupBox2
    bool SelectedModule = false;  // GroupBox13
    bool OtherOptions = false;    // GroupBox17
    bool Palette = false;         // GroupBox12
    bool Authorisation = false;   // AuthPanel
};
PageGroups GroupsOf(int pageMode);

// The module's identity as "Other Options" shows it.
struct ModuleIdentity {
    std::string AccessGroup; // Edit4: entry byte 3 + 1
    std::string ModuleID;    // Edit7: number prefix and module ID + 1
    std::string Model;       // Label17
};

struct PopupState {
    bool Cut = false;
    bool Copy = false;
    bool Paste = false;
    bool Delete = false;
    bool Print = true;
};

class ConsolePageController {
public:
    ConsolePageController(ConsoleEditorState& state, ModuleClipboard& clipboard, ConsoleHost& host);

    // The page for the current device: "Keys" when it holds any module, else "Console".
    void Show();
    void Hide();
    const std::vector<std::string>& Tabs() const { return tabs_; }
    bool AddConsoleEnabled() const;

    void SetPageMode(int pageMode);
    void ChangeConsole(int console);

    // The picture at its present size, and its geometry kept for the pointer.
    void Draw(gfx::Canvas& canvas, int width, int height);

    // The selected module large, as the module panel shows it.
    void PaintSelectedModule(gfx::Canvas& canvas, float s);

    void PointerMove(int x, int y);
    // A press on the picture; false when the colour warning refused it. dragAllowed tells the
    // widget whether a left press may start moving the module.
    bool Press(int x, int y, bool leftButton, bool& dragAllowed);
    // The pointer over the module panel's picture at an element (the module panel's hit test).
    void ModulePointerMove(int element);
    // A press on the module panel's picture at an element; false when the colour warning
    // refused it.
    bool PressModuleKey(int element);
    // The module panel for the selection, and its option handlers.
    ModulePanelView Panel();
    void DisplayTextChanged(int item);
    void ZeroDbClicked(bool ticked);
    void InvertFaderClicked(bool ticked);
    void EncoderDefaultChanged(int encoder, int item);
    void RotarySelectorDefaultChanged(int item);
    void IndependentKeyClicked(bool ticked);

    // "Key Options" for the selected key; the same-colour warning goes out once per run.
    KeyOptionsView KeyOptions();
    // The handlers that write the selected key, on the current device; none without one.
    std::optional<KeyEditor> KeyEditing();
    // The user-group boxes of the selected key (Authorisation).
    UserGroupBoxes UserGroups();

    // The selected slot's entry read afresh after a command changed the console.
    void ReloadSelection();
    ModuleIdentity Identity() const;
    // The access-group spin: 1-4.
    void SetAccessGroup(int shown);

    void StartPaletteDrag();
    void StartPictureDrag();
    // paletteType: the module type of a palette drag, -1 for a drag of the picture.
    bool DragOver(int x, int y, int paletteType);
    // False when the drop was refused (the drag ends as cancelled). selectedPaletteType: the
    // palette's selected item, -1 for none; a picture drag whose module went on the palette adds
    // one of that type where it is dropped.
    bool Drop(int x, int y, int paletteType, int selectedPaletteType);
    // A module dragged from the picture is deleted as the drag enters the palette.
    void DragOntoPalette();
    void EndDrag();

    PopupState Popup() const;
    void CutModule();
    void CopyModule();
    void PasteModule();
    void DeleteModule();
    void PrintModuleLayout();

    void AddConsole();
    void RemoveConsole();
    void RenameConsole();

private:
    model::TDevice* Device() const;
    bool StudioPanelConsole() const;
    // The colour warning: the selected key has a caption but no colour.
    bool WarnUncoloured(bool faderModule);
    void LoadKey();
    void ChangedModules();

    ConsoleEditorState& state_;
    ModuleClipboard& clipboard_;
    ConsoleHost& host_;
    std::vector<std::string> tabs_;
    KeyEditorMemory keyEditor_;
};

} // namespace kvr::console
