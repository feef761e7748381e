// The console page of the main window: the console editor's state and clipboard live here for the
// whole run; the window serves the page as its console host.

#include "app/mainform.h"

#include "console/consolehost.h"
#include "console/pages/consolepage.h"
#include "model/project.h"

#include <QVBoxLayout>

namespace kvr::app {

namespace {

class MainConsoleHost : public console::ConsoleHost {
public:
    explicit MainConsoleHost(TCX4AppForm& form) : form_(form) {}

    model::TDevice* CurrentDevice() override
    {
        model::TProject* project = CurrentProject();
        return project && form_.FCurDevice >= 0 ? project->Device(form_.FCurDevice) : nullptr;
    }
    model::TProject* CurrentProject() override { return form_.FProject ? form_.FProject->Model() : nullptr; }
    int CurrentDeviceIndex() override { return form_.FCurDevice; }
    void UpdateResourceGauges() override { form_.UpdateResourceGauges(); }
    // The source windows are not built yet; their flags on the device stay set.
    void RebuildSourceWindows() override {}
    void PrintModuleLayout(int) override { form_.PrintSelectedModule(); }
    void ShowModule() override {}
    TKVRLog* Log() override { return &form_.KVRLog; }

private:
    TCX4AppForm& form_;
};

} // namespace

void TCX4AppForm::BuildConsolePage()
{
    auto* panel = findChild<QWidget*>("ConsolePanel");
    if (!panel)
        return;
    FConsoleHost = std::make_unique<MainConsoleHost>(*this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    ConsolePageWidget = new console::ConsolePage(FConsoleState, FModuleClipboard, *FConsoleHost, panel);
    layout->addWidget(ConsolePageWidget);
}

void TCX4AppForm::ShowConsolePage()
{
    if (ConsolePageWidget && FConsoleHost->CurrentDevice())
        ConsolePageWidget->ShowConsolePage();
}

void TCX4AppForm::HideConsolePage()
{
    auto* panel = findChild<QWidget*>("ConsolePanel");
    if (ConsolePageWidget && panel && !panel->isHidden())
        ConsolePageWidget->HideConsolePage();
}

void TCX4AppForm::ConsoleProjectClosed()
{
    FConsoleState.ProjectClosed();
    // The devices of a pending cut are gone: a discarded cut has nothing left to release.
    FModuleClipboard.ForgetDevice(nullptr);
}

} // namespace kvr::app
