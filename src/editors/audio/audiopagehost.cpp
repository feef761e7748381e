#include "editors/audio/audiopagehost.h"

#include "editors/common/editorhost.h"
#include "editors/common/sourceassign.h"
#include "editors/common/sourcepicker.h"
#include "model/faderaccess.h"
#include "model/project.h"
#include "model/superoutputs.h"

namespace kvr::editors {

namespace {
// Node image indexes of the audio system.
constexpr int kAudioSystemNode = 90;
constexpr int kFaderChannelsNode = 91;
constexpr int kChannelAssignmentNode = 92;
constexpr int kOutputFunctionsNode = 94;
constexpr int kFixedProcessingNode = 95;
constexpr int kOutputRoutingNode = 96;
constexpr int kSOFNode = 97;

// Source groups of the pages: PFL, rotary monitor selectors, monitor buses and routing for the
// output pages; PFL, MIDI, masters and VCA faders for the fader channels.
constexpr int kOutputPagesFilter = 0x27;
constexpr int kFaderChannelFilter = 0xC1;
} // namespace

void AudioPageHost::SetFrameFactory(AudioFrame Frame, FrameFactory Factory)
{
    FFactories[Index(Frame)] = std::move(Factory);
}

void AudioPageHost::Build(AudioFrame Frame)
{
    // Every show starts from the current device image.
    Free(Frame);
    if (const FrameFactory& factory = FFactories[Index(Frame)])
        FFrames[Index(Frame)] = factory(FHost.CurrentDevice());
}

void AudioPageHost::AudioSourcesFor(int Filter)
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetGroupFilter(Filter);
        audio->SetDeviceIndex(FHost.CurrentDevice());
        audio->BuildSourceTree();
    }
}

void AudioPageHost::OptionPanel(bool Visible)
{
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetOptionPanelVisible(Visible);
}

void AudioPageHost::ShowAudioSystemPage(int ImageIndex)
{
    const int n = ImageIndex;
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->SetTargetKind(ltNone);
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetTargetKind(atNone);

    if (n == kAudioSystemNode)
        FView.ShowActiveAudioTab();
    FView.ShowPanel(kAudioPanel, n == kAudioSystemNode);

    if (n == kFaderChannelsNode)
        ShowFaderChannelPage();
    else
        HideFaderChannelPage();

    if (n == kChannelAssignmentNode) {
        AudioSourcesFor(0);
        FView.FillPage(kAssiPanel);
    }
    FView.ShowPanel(kAssiPanel, n == kChannelAssignmentNode);

    if (n == kOutputFunctionsNode || n == kSOFNode) {
        OptionPanel(true);
        AudioSourcesFor(kOutputPagesFilter);
        if (n == kSOFNode) {
            Build(AudioFrame::SOF);
            FView.ShowPanel(kSOFPanel, true);
        } else {
            FView.FillPage(kOutFktPanel);
            FView.ShowPanel(kOutFktPanel, true);
        }
    } else {
        FView.ShowPanel(kOutFktPanel, false);
        FView.ShowPanel(kSOFPanel, false);
        OptionPanel(false);
        Free(AudioFrame::SOF);
    }

    if (n == kFixedProcessingNode) {
        FView.FillPage(kFixFunctionPanel);
        FView.ShowPanel(kFixFunctionPanel, true);
        AudioSourcesFor(1);
    } else {
        FView.ShowPanel(kFixFunctionPanel, false);
    }

    if (n == kOutputRoutingNode) {
        FView.FillPage(kOutputRoutePanel);
        AudioSourcesFor(kOutputPagesFilter);
    }
    FView.ShowPanel(kOutputRoutePanel, n == kOutputRoutingNode);

    // Reading pool 0 drops the device's obsolete pool-name structure.
    model::TProject* project = FHost.Project();
    if (model::TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr) {
        std::string unused;
        model::GetPoolName(*dev, 0, unused);
    }
    FView.FillPage(kAssiPanel);
}

void AudioPageHost::HideAudioSystemPages()
{
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetTargetKind(atNone);
    // Only a pending watch is cancelled; other logic assignments wait for the next audio page.
    if (LogicSourcePicker* logic = FHost.LogicSources(); logic && logic->TargetKind() == ltWatch)
        logic->SetTargetKind(ltNone);
    FView.ClearLogicPage();
    Free(AudioFrame::SOF);
    HideFaderChannelPage();
    for (const char* panel : {kAssiPanel, kOutFktPanel, kFixFunctionPanel, kSOFPanel})
        FView.ShowPanel(panel, false);
    model::TProject* project = FHost.Project();
    model::TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr;
    if (dev)
        model::FixGroupLogic(*dev);
    if (dev && FView.PanelVisible(kOutputRoutePanel))
        FView.WriteBackOutputRouting();
    FView.ShowPanel(kOutputRoutePanel, false);
    // Hiding the Audio System page hides its tabs, whose frames go with them.
    FView.ShowPanel(kAudioPanel, false);
    Free(AudioFrame::Insert);
    Free(AudioFrame::GlobalPool);
    OptionPanel(false);
}

void AudioPageHost::ShowFaderChannelPage()
{
    Build(AudioFrame::FaderChannel);
    FView.ShowPanel(kFaderChannelPanel, true);
    AudioSourcesFor(kFaderChannelFilter);
    if (LogicSourcePicker* logic = FHost.LogicSources()) {
        // The ready signalisation may take "OFF".
        logic->SetGroupFilter(1);
        logic->BuildSourceTree();
    }
}

void AudioPageHost::HideFaderChannelPage()
{
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetDeviceIndex(FHost.CurrentDevice());
    if (LogicSourcePicker* logic = FHost.LogicSources()) {
        logic->SetGroupFilter(0);
        logic->BuildSourceTree();
    }
    FView.ShowPanel(kFaderChannelPanel, false);
    Free(AudioFrame::FaderChannel);
}

} // namespace kvr::editors
