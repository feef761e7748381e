#include "console/consoleeditorstate.h"

namespace kvr::console {

void ConsoleEditorState::ProjectClosed()
{
    SelectedKeyRecord = {};
    SelectedKey = -1;
    SelectedSlot = -1;
}

void ConsoleEditorState::PageShown()
{
    SelectedSlot = -1;
    SelectedConsole = 0;
    SelectedKey = -1;
    SelectedModule.clear();
}

void ConsoleEditorState::PageHidden()
{
    SelectedKey = -1;
    SelectedSlot = -1;
    SelectedKeyRecord = {};
    SelectedModule.clear();
}

void ConsoleEditorState::ConsoleChanged(int console)
{
    SelectedConsole = console;
    SelectedSlot = -1;
    SelectedKey = -1;
    SelectedModule.clear();
    SelectedKeyRecord = {};
}

} // namespace kvr::console
