// The main window as host of the audio and logic editors and of the two source windows.

#include <QCoreApplication>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>
#include <string_view>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/processform.h"
#include "editors/sources/audioreswin.h"
#include "editors/audio/audiotabpage.h"
#include "editors/sources/audiosourcetree.h"
#include "editors/audio/channelassignmentpage.h"
#include "editors/audio/faderchannelframe.h"
#include "editors/audio/outfktpagewidget.h"
#include "editors/audio/outputroutingwidget.h"
#include "editors/audio/fixedprocessingpage.h"
#include "editors/sources/reswindow.h"
#include "editors/audio/sofframe.h"
#include "model/project.h"

namespace kvr::app {

bool TCX4AppForm::SelectNextRoutingAfterAssign() const
{
    return FPrefs.SelectNextOutputRouting();
}

void TCX4AppForm::ShowProgress(int Minimum, int Maximum, int Position)
{
    if (!ProcessForm)
        return;
    ProcessForm->ProgressBar->setRange(Minimum, Maximum);
    ProcessForm->ProgressBar->setValue(Position);
    ProcessForm->show();
}

void TCX4AppForm::HideProgress()
{
    if (ProcessForm)
        ProcessForm->hide();
}

void TCX4AppForm::PumpMessages()
{
    QCoreApplication::processEvents();
}

editors::LogicSourcePicker* TCX4AppForm::LogicSources()
{
    return ResWindow;
}

editors::AudioSourcePicker* TCX4AppForm::AudioSources()
{
    return AudioResWin;
}

void TCX4AppForm::SourceWindowsFollowDevice()
{
    if (!AudioResWin || !ResWindow)
        return;
    if (FCurDevice < 0) {
        AudioResWin->SetDeviceIndex(-1);
        return;
    }
    ResWindow->BuildSourceTree();
    // Rotary monitor selectors are offered only while the key editor asks for them.
    AudioResWin->SetGroupFilter(AudioResWin->GroupFilter() & ~editors::afRotaryMonitorSelect);
    AudioResWin->SetDeviceIndex(FCurDevice);
    AudioResWin->BuildSourceTree();
}

void TCX4AppForm::RebuildSourceWindows()
{
    if (ResWindow)
        ResWindow->BuildSourceTree();
    if (AudioResWin)
        AudioResWin->BuildSourceTree();
}

} // namespace kvr::app

namespace kvr::app {

namespace {
constexpr const char* AudioTabs[] = {"Monitor Functions", "Mixing Functions", "Input Pools", "Synchronisation",
                                     "Potentiometer", "Mute Logics", "Selector Source Lists", "Group Logic",
                                     "Inserts", "Global Pool"};
constexpr int kInsertsTab = 8;
constexpr int kGlobalPoolTab = 9;

// The frame a tab holds, if any.
std::optional<editors::AudioFrame> TabFrame(int Tab)
{
    if (Tab == kInsertsTab)
        return editors::AudioFrame::Insert;
    if (Tab == kGlobalPoolTab)
        return editors::AudioFrame::GlobalPool;
    return std::nullopt;
}
} // namespace

void TCX4AppForm::BuildAudioSystemPage()
{
    FAudioPages = std::make_unique<editors::AudioPageHost>(*this, *this);
    auto* panel = findChild<QWidget*>(editors::kAudioPanel);
    if (!panel)
        return;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl2 = new QTabWidget(panel);
    PageControl2->setObjectName("PageControl2");
    for (const char* caption : AudioTabs) {
        auto* tab = new QWidget(PageControl2);
        PageControl2->addTab(tab, QString::fromLatin1(caption));
    }
    PageControl2->widget(kGlobalPoolTab)->setObjectName("GlobalPoolTab");
    editors::BuildAudioTabPages(*this, PageControl2);
    editors::InstallAudioTabFrames(*this, *FAudioPages, PageControl2);
    if (auto* sof = findChild<QWidget*>(editors::kSOFPanel))
        editors::InstallSOFFrame(*this, *FAudioPages, sof);
    if (auto* assi = findChild<QWidget*>(editors::kAssiPanel)) {
        auto* assiLayout = new QVBoxLayout(assi);
        assiLayout->setContentsMargins(0, 0, 0, 0);
        AssignmentPage = new editors::TChannelAssignmentPage(*this, assi);
        assiLayout->addWidget(AssignmentPage);
    }
    if (auto* outFkt = findChild<QWidget*>(editors::kOutFktPanel)) {
        auto* outFktLayout = new QVBoxLayout(outFkt);
        outFktLayout->setContentsMargins(0, 0, 0, 0);
        OutputFunctionsPage = new editors::TOutputFunctionsPage(*this, outFkt);
        outFktLayout->addWidget(OutputFunctionsPage);
    }
    if (auto* routing = findChild<QWidget*>(editors::kOutputRoutePanel)) {
        auto* routingLayout = new QVBoxLayout(routing);
        routingLayout->setContentsMargins(0, 0, 0, 0);
        OutputRoutingPage = new editors::TOutputRoutingPage(*this, routing);
        routingLayout->addWidget(OutputRoutingPage);
    }
    if (auto* fix = findChild<QWidget*>(editors::kFixFunctionPanel)) {
        auto* fixLayout = new QVBoxLayout(fix);
        fixLayout->setContentsMargins(0, 0, 0, 0);
        FixedProcessingPage = new editors::TFixedProcessingPage(*this, fix);
        fixLayout->addWidget(FixedProcessingPage);
    }
    layout->addWidget(PageControl2);
    if (auto* faders = findChild<QWidget*>(editors::kFaderChannelPanel)) {
        auto* faderLayout = new QVBoxLayout(faders);
        faderLayout->setContentsMargins(0, 0, 0, 0);
        FAudioPages->SetFrameFactory(editors::AudioFrame::FaderChannel,
                                     [this, faders](int Device) -> std::unique_ptr<editors::EditorFrame> {
                                         model::TProject* project = Project();
                                         if (!project || !project->Device(Device))
                                             return nullptr;
                                         auto frame = std::make_unique<editors::TFaderChannelFrame>(
                                             *this, *project, Device, faders);
                                         faders->layout()->addWidget(frame.get());
                                         return frame;
                                     });
    }
    // Choosing a tab leaves the old one (its frame goes) and shows the new one, however the user
    // changed it: a press, the wheel or the arrow keys.
    connect(PageControl2, &QTabWidget::currentChanged, this, [this](int Tab) {
        if (Tab >= 0)
            ShowAudioTab(Tab);
    });
}

void TCX4AppForm::ShowAudioTab(int Tab)
{
    if (const auto frame = TabFrame(FAudioTab))
        FAudioPages->TabHide(*frame);
    if (auto* page = editors::AudioTabPageOf(PageControl2->widget(FAudioTab)))
        page->TabHide();
    FAudioTab = Tab;
    if (const auto frame = TabFrame(FAudioTab))
        FAudioPages->TabShow(*frame);
    if (auto* page = editors::AudioTabPageOf(PageControl2->widget(FAudioTab)))
        page->TabShow();
}

void TCX4AppForm::ShowActiveAudioTab()
{
    if (PageControl2)
        ShowAudioTab(PageControl2->currentIndex());
}

void TCX4AppForm::FillPage(const char* Panel)
{
    const std::string_view panel(Panel);
    if (AssignmentPage && panel == editors::kAssiPanel)
        AssignmentPage->FillChannelAssignment();
    if (OutputFunctionsPage && panel == editors::kOutFktPanel)
        OutputFunctionsPage->FillOutputFunctions();
    if (OutputRoutingPage && panel == editors::kOutputRoutePanel)
        OutputRoutingPage->FillOutputRouting();
    if (FixedProcessingPage && panel == editors::kFixFunctionPanel)
        FixedProcessingPage->FillFixedProcessing();
}

void TCX4AppForm::WriteBackOutputRouting()
{
    if (OutputRoutingPage)
        OutputRoutingPage->Rules().WriteBack();
}

void TCX4AppForm::ScheduleFaderConfigurationHide(bool Start)
{
    if (Start)
        Timer2->start();
    else
        Timer2->stop();
}

void TCX4AppForm::ShowPanel(const char* Panel, bool Visible)
{
    if (auto* panel = findChild<QWidget*>(Panel))
        panel->setVisible(Visible);
}

bool TCX4AppForm::PanelVisible(const char* Panel) const
{
    const auto* panel = findChild<QWidget*>(Panel);
    return panel && !panel->isHidden();
}

} // namespace kvr::app
