#pragma once
// The one selection and view state of the console editor, held by the main window for as long as
// the program runs and never saved.

#include "model/keyfunctions.h"

#include <cstdint>
#include <vector>

namespace kvr::console {

enum PageMode : int { pmKeys = 0, pmConsole = 1, pmAuthorisation = 2 };

struct ConsoleEditorState {
    int SelectedConsole = 0;
    int SelectedSlot = -1;  // slot position 0-8 or 10-18
    int PointerSlot = -1;
    int SelectedKey = -1;   // element index of the selected module
    int PointerKey = -1;
    int PageMode = pmKeys;
    int DragSourceSlot = -1; // position dragged on the picture; -1 for the palette and outside a drag
    std::vector<std::uint8_t> SelectedModule; // copy of the selected slot's entry; empty = type 0
    model::TKeyRecord SelectedKeyRecord{};
    int ModuleWidthPx = 0;
    int UpperRowHeightPx = 0;
    int LowerRowHeightPx = 0;
    int Filling = 0;

    int SelectedModuleType() const { return model::ModuleType(SelectedModule); }

    // A closed project leaves nothing selected.
    void ProjectClosed();
    // Showing the page starts on the first console without a selection.
    void PageShown();
    // Leaving the page forgets the selected module and key.
    void PageHidden();
    // Another console tab: nothing selected on it yet.
    void ConsoleChanged(int console);
};

} // namespace kvr::console
