#pragma once
// The program's windows on a saved project, as the tests of the main window's pages start them:
// settings and prompts of the test's own, the data model's host, the project open in the main
// window at a usual size.

#include <QSize>

#include <memory>
#include <string>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "model/modelhost.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

namespace kvr::app::test {

// The main window; null when the project does not open.
inline TCX4AppForm* StartWithProject(QtModelHost& Host, const std::string& File, QSize Size = {1200, 760})
{
    platform::setSettingsStore(std::make_unique<platform::MemorySettingsStore>());
    platform::setPrompter(std::make_unique<platform::ScriptedPrompter>());
    model::SetModelHost(&Host);
    TCX4AppForm* form = CreateApplicationForms();
    form->resize(Size);
    form->show();
    return form->FileCommands().OpenRecent(File) ? form : nullptr;
}

inline void StopWindows()
{
    DestroyApplicationForms();
    model::SetModelHost(nullptr);
    platform::setPrompter(nullptr);
}

} // namespace kvr::app::test
