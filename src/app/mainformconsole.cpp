// The console page of the main window: the console editor's state and clipboard live here for the
// whole run; the window serves the page as its console host.

#include "app/mainform.h"

#include "app/appforms.h"
#include "console/audiosourcefollow.h"
#include "console/consolehost.h"
#include "console/keyeditor.h"
#include "console/moduleplacement.h"
#include "console/pages/consolepage.h"
#include "console/pages/keyoptionspanel.h"
#include "console/pages/keysourcepicker.h"
#include "editors/sources/audioreswin.h"
#include "editors/sources/reswindow.h"
#include "editors/sources/sourcedrag.h"
#include "editors/common/sourcepicker.h"
#include "model/project.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace kvr::app {

namespace {

// The console page's host; it also serves the key options as their source windows and is the
// windows' target of the key's kinds.
class MainConsoleHost : public console::ConsoleHost, public console::KeySourcePicker, public editors::SourceTarget {
public:
    explicit MainConsoleHost(TCX4AppForm& form) : form_(form) {}

    void Pick(console::SourceWindow window, int kind, std::uint16_t stored) override
    {
        if (window == console::SourceWindow::Logic && ResWindow) {
            ResWindow->SetTarget(kind, this);
            ResWindow->SetTargetKind(kind);
            ResWindow->ShowPicker();
            ResWindow->SelectLogicSource(stored);
        } else if (window == console::SourceWindow::Audio && AudioResWin) {
            AudioResWin->SetTarget(kind, this);
            AudioResWin->SetTargetKind(kind);
            AudioResWin->SelectAudioSource(stored);
            AudioResWin->ShowPicker();
        }
    }
    void AssignDropped(console::SourceWindow window, int kind) override
    {
        if (window == console::SourceWindow::Logic && ResWindow) {
            ResWindow->SetTarget(kind, this);
            ResWindow->SetTargetKind(kind);
            ResWindow->Assign(editors::AssignSender::Page);
        } else if (window == console::SourceWindow::Audio && AudioResWin) {
            AudioResWin->SetTarget(kind, this);
            AudioResWin->SetTargetKind(kind);
            AudioResWin->Assign();
        }
    }
    bool IsSourceDrag(console::SourceWindow window, const QMimeData* data) const override
    {
        return editors::IsSourceDrag(data, window == console::SourceWindow::Logic ? editors::SourceDragKind::Logic
                                                                                 : editors::SourceDragKind::Audio);
    }

    // Kind 1 of the logic window writes only into a selected row of the showing lamp-source list.
    editors::TargetSelection Selection(int kind) override
    {
        editors::TargetSelection selection;
        console::ConsolePage* page = form_.ConsolePageWidget;
        if (kind != console::kLampSourceRowKind)
            selection.Element = 0;
        else if (page && form_.FConsoleState.PageMode == console::pmKeys && page->GroupBox2->isVisible())
            selection.Element = page->KeyOptions->SelectedLampRow();
        return selection;
    }
    editors::KeyEdit* EditedKey() override
    {
        const auto& state = form_.FConsoleState;
        model::TDevice* device = CurrentDevice();
        if (!device || state.SelectedKey < 0 || !console::IsSlotPosition(state.SelectedSlot))
            return nullptr;
        key_.Record = &form_.FConsoleState.SelectedKeyRecord;
        key_.ModuleSlot = console::ModuleSlotID(state.SelectedConsole, state.SelectedSlot);
        key_.Own = console::IndependentKeyTicked(state, *device);
        return &key_;
    }
    void Refresh(int, const editors::PickedSource&) override
    {
        if (form_.ConsolePageWidget)
            form_.ConsolePageWidget->Refresh();
    }

    model::TDevice* CurrentDevice() override
    {
        model::TProject* project = CurrentProject();
        return project && form_.FCurDevice >= 0 ? project->Device(form_.FCurDevice) : nullptr;
    }
    model::TProject* CurrentProject() override { return form_.FProject ? form_.FProject->Model() : nullptr; }
    int CurrentDeviceIndex() override { return form_.FCurDevice; }
    void UpdateResourceGauges() override { form_.UpdateResourceGauges(); }
    void RebuildSourceWindows() override { form_.RebuildSourceWindows(); }
    void FollowAudioSources(const std::vector<console::AudioSourceStep>& steps) override
    {
        editors::AudioSourcePicker* window = form_.AudioSources();
        if (!window)
            return;
        for (const console::AudioSourceStep& step : steps) {
            switch (step.What) {
            case console::AudioSourceStep::SetFilter: window->SetGroupFilter(step.Value); break;
            case console::AudioSourceStep::ClearFilterBits: window->SetGroupFilter(window->GroupFilter() & ~step.Value); break;
            case console::AudioSourceStep::SetDevice: window->SetDeviceIndex(step.Value); break;
            case console::AudioSourceStep::Rebuild: window->BuildSourceTree(); break;
            }
        }
    }
    void PrintModuleLayout(int) override { form_.PrintSelectedModule(); }
    void ShowModule() override {}
    TKVRLog* Log() override { return &form_.KVRLog; }

private:
    TCX4AppForm& form_;
    editors::KeyEdit key_;
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
    ConsolePageWidget->KeyOptions->Picker = static_cast<MainConsoleHost*>(FConsoleHost.get());
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
