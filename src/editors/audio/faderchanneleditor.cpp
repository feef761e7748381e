#include "editors/audio/faderchanneleditor.h"

#include <algorithm>
#include <cstdio>

#include "editors/common/editorhost.h"
#include "editors/common/sourceassign.h"
#include "editors/common/sourcenode.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/logicaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

// Bits of byte 18 beside the pool and the clean feed.
constexpr std::uint8_t kStereo = 0x20;
constexpr std::uint8_t kOnStart = 0x40;
constexpr std::uint8_t kAutoOff = 0x80;

constexpr std::uint16_t kStereoRef = 0x2000;
// MIDI sources, then program and AUX bus masters and VCA faders.
constexpr int kFirstMIDISource = 0x4600;
constexpr int kFirstMasterSource = 0x4700;
constexpr int kFirstVCASource = 0x4780;
constexpr int kEndOfMasterSources = 0x4800;
// The channel's own fader-function-2 logic.
constexpr int kFaderFunction2ChannelBase = 1986;

constexpr int kAudioKinds[] = {atFaderSource, atMonitorL, atMonitorR, atPoolFaderSource};
constexpr int kLogicKinds[] = {ltFaderLamp, ltFaderMute, ltFaderReady, ltFaderFF2Select, ltFaderTimer};

void SetBit(std::uint8_t& byte, std::uint8_t bit, bool on)
{
    byte = static_cast<std::uint8_t>(on ? byte | bit : byte & ~bit);
}

int LogicKind(FaderLogic Logic)
{
    switch (Logic) {
    case FaderLogic::Lamp2: return ltFaderFF2Select;
    case FaderLogic::Lamp: return ltFaderLamp;
    case FaderLogic::MuteCondition: return ltFaderMute;
    case FaderLogic::Ready: return ltFaderReady;
    case FaderLogic::ChannelTimer: return ltFaderTimer;
    }
    return ltNone;
}

std::uint16_t LogicField(const TFaderChannel& c, FaderLogic Logic)
{
    switch (Logic) {
    case FaderLogic::Lamp2: return c.LampSource2;
    case FaderLogic::Lamp: return c.LampSource;
    case FaderLogic::MuteCondition: return c.MuteCondition;
    case FaderLogic::Ready: return c.ReadySignal;
    case FaderLogic::ChannelTimer: return c.ChannelTimer;
    }
    return 0;
}

std::string Caption(int Number, const std::string& Name)
{
    return "CH" + std::to_string(Number) + " " + Name;
}

std::string Trimmed(std::string Text)
{
    while (!Text.empty() && Text.back() == ' ')
        Text.pop_back();
    return Text;
}

} // namespace

std::string FaderStartText(int Position)
{
    if (Position == 0)
        return "-oo dB";
    char text[16];
    std::snprintf(text, sizeof text, "%d dB", 10 * Position - 70);
    return text;
}

FaderChannelEditor::FaderChannelEditor(EditorHost& Host, TProject& Project, int DeviceIndex)
    : FHost(Host), FProject(Project), FDeviceIndex(DeviceIndex)
{
    FPoolNames.push_back("None");
    FPoolNumbers.push_back(0);
    InitGlobalPoolLine(FGlobalPool);
    if (TDevice* dev = Dev()) {
        for (int pool = 0; pool < 15; ++pool) {
            std::string name;
            if (GetPoolNameStr(*dev, pool, name) == 1) {
                FPoolNames.push_back(name);
                FPoolNumbers.push_back(pool + 1);
            }
        }
        GetGlobalPoolLines(*dev, FGlobalPool);
        if (FGlobalPool.SourceDevice != 0)
            FPoolDeviceIndex = FProject.IndexOfDevice(FGlobalPool.SourceDevice);
    }
    RegisterTargets(true);
    RefreshFaderChannelList();
}

FaderChannelEditor::~FaderChannelEditor()
{
    RegisterTargets(false);
}

void FaderChannelEditor::RegisterTargets(bool On)
{
    if (AudioSourcePicker* audio = FHost.AudioSources())
        for (int kind : kAudioKinds)
            audio->SetTarget(kind, On ? &FAudioTarget : nullptr);
    if (LogicSourcePicker* logic = FHost.LogicSources())
        for (int kind : kLogicKinds)
            logic->SetTarget(kind, On ? &FLogicTarget : nullptr);
}

TDevice* FaderChannelEditor::Dev() const
{
    return FProject.Device(FDeviceIndex);
}

bool FaderChannelEditor::FedFromPool(const TFaderChannel& Channel) const
{
    return Channel.Source == kGlobalPoolSourceMarker + Channel.Number;
}

void FaderChannelEditor::ScheduleRefresh()
{
    if (OnScheduleRefresh)
        OnScheduleRefresh();
}

void FaderChannelEditor::RebuildLogicSources()
{
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->BuildSourceTree();
}

void FaderChannelEditor::RefreshFaderChannelList()
{
    FRows.clear();
    if (TDevice* dev = Dev()) {
        TFaderChannel channel;
        for (int position = 0; position < kMaxFaderChannelNumber; ++position) {
            if (GetFaderChannelByIndex(*dev, position, channel) != 1)
                break;
            FaderChannelRow row;
            row.Number = channel.Number;
            row.Caption = Caption(channel.Number, GetFaderChannelName(*dev, channel.Number));
            row.Source = SourceText(channel);
            const int pool = channel.PoolFlags & kFCHPoolMask;
            const auto entry = std::find(FPoolNumbers.begin(), FPoolNumbers.end(), pool);
            if (pool != 0 && entry != FPoolNumbers.end())
                row.Pool = FPoolNames[static_cast<std::size_t>(entry - FPoolNumbers.begin())];
            FRows.push_back(std::move(row));
        }
    }
    FSelected = KeepIndex(FSelected, static_cast<int>(FRows.size()), -1);
    ScheduleRefresh();
}

void FaderChannelEditor::Select(int Row)
{
    FSelected = KeepIndex(Row, static_cast<int>(FRows.size()), -1);
    ScheduleRefresh();
}

int FaderChannelEditor::SelectedChannel() const
{
    return FSelected >= 0 ? FRows[static_cast<std::size_t>(FSelected)].Number : -1;
}

int FaderChannelEditor::RowOfChannel(int Number) const
{
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].Number == Number)
            return static_cast<int>(i);
    return -1;
}

void FaderChannelEditor::Tick(const std::function<void(const FaderChannelView*)>& Fill)
{
    FUpdating = true;
    if (FSelected >= 0) {
        const FaderChannelView view = ShowChannel(SelectedChannel());
        Fill(&view);
    } else {
        Fill(nullptr);
    }
    FUpdating = false;
}

std::string FaderChannelEditor::SourceText(const TFaderChannel& Channel)
{
    int source = Channel.Source;
    int device = FDeviceIndex;
    if (FedFromPool(Channel)) {
        source = Channel.PoolSource;
        device = FPoolDeviceIndex;
    }
    if (source & kStereoRef)
        return GetAudioSourceName(FProject, source & ~1, device, false) + " + " +
               GetAudioSourceName(FProject, source | 1, device, false);
    return GetAudioSourceName(FProject, source, device, false);
}

std::vector<std::uint8_t> FaderChannelEditor::ResourceIDs()
{
    TDevice* dev = Dev();
    if (!dev)
        return {};
    std::vector<std::uint8_t> ids = GetGlobalResourceIDs(FProject);
    FilterGlobalResources(FProject, ids, dev->GetDeviceID());
    return ids;
}

bool FaderChannelEditor::LogicFunctionsVisible(int Number)
{
    TFaderChannel channel;
    TDevice* dev = Dev();
    if (!dev || GetFaderChannel(*dev, Number, channel) != 1)
        return false;
    return channel.Source < kFirstMIDISource || channel.Source >= kFirstMasterSource;
}

FaderChannelView FaderChannelEditor::ShowChannel(int Number)
{
    FaderChannelView v;
    TDevice* dev = Dev();
    if (!dev || Number < 1)
        return v;
    v.Number = Number;
    for (int i = 0; i < 5; ++i)
        v.MuteLogicCaptions[static_cast<std::size_t>(i)] = GetMuteLogicName(*dev, i);
    TFaderChannel c;
    GetFaderChannel(*dev, Number, c);
    v.Label = GetFaderChannelName(*dev, Number);
    v.RowCaption = Caption(Number, v.Label);
    if (const int row = RowOfChannel(Number); row >= 0)
        FRows[static_cast<std::size_t>(row)].Caption = v.RowCaption;
    v.GlobalPoolEnabled = FPoolDeviceIndex >= 0;
    v.GlobalPool = FedFromPool(c);

    AudioSourcePicker* audio = FHost.AudioSources();
    if (c.Source >= kFirstMIDISource && c.Source < kEndOfMasterSources) {
        v.FaderstartVisible = v.OutputMuteVisible = false;
        v.LogicFunctionsVisible = c.Source >= kFirstMasterSource;
        v.StereoEnabled = v.CleanFeedEnabled = v.MonitorSelectEnabled = false;
        if (audio)
            audio->SetDeviceIndex(FDeviceIndex);
    } else {
        v.MonitorL = GetAudioSourceName(FProject, c.MonitorL, FDeviceIndex, false);
        v.MonitorR = GetAudioSourceName(FProject, c.MonitorR, FDeviceIndex, false);
        v.MonitorLTag = c.MonitorL;
        v.MonitorRTag = c.MonitorR;
        if (audio)
            audio->SetDeviceIndex(v.GlobalPool ? FPoolDeviceIndex : FDeviceIndex);
    }
    v.Source = SourceText(c);
    v.Stereo = (c.PoolFlags & kStereo) != 0;
    v.OnStart = (c.PoolFlags & kOnStart) != 0;
    v.AutoOff = (c.PoolFlags & kAutoOff) != 0;
    v.CleanFeed = (c.PoolFlags & kFCHCleanFeed) != 0;
    const auto pool = std::find(FPoolNumbers.begin(), FPoolNumbers.end(), c.PoolFlags & kFCHPoolMask);
    v.PoolItem = pool != FPoolNumbers.end() ? static_cast<int>(pool - FPoolNumbers.begin()) : 0;

    v.Resources.push_back("None");
    for (std::uint8_t id : ResourceIDs()) {
        TGlobalResource resource;
        GetGlobalResource(FProject, id, resource);
        v.Resources.push_back(Trimmed(LabelText(resource.Label)));
        if (id == c.GlobalResource)
            v.ResourceItem = static_cast<int>(v.Resources.size()) - 1;
    }
    v.FaderStart = c.FaderStartLevel;
    v.FaderStartText = FaderStartText(c.FaderStartLevel);
    for (int i = 0; i < 5; ++i)
        v.MuteLogic[static_cast<std::size_t>(i)] = (c.OutputMute >> i) & 1;
    v.TimerReset = c.Options & foTimerReset;
    v.Voice = c.Options & foVoice;
    v.PGM1Logic = c.Options & foPGM1Logic;
    v.SoloEffectReturn = c.Options & foSoloEffectReturn;
    const FaderLogic logics[] = {FaderLogic::Lamp2, FaderLogic::Lamp, FaderLogic::MuteCondition, FaderLogic::Ready,
                                 FaderLogic::ChannelTimer};
    for (std::size_t i = 0; i < 5; ++i) {
        v.LogicTags[i] = LogicField(c, logics[i]);
        v.LogicTexts[i] = GetLogicSourceName(FProject, v.LogicTags[i], FDeviceIndex);
    }
    v.SourceTag = v.GlobalPool ? kGlobalPoolSourceMarker : c.Source;
    v.PoolSourceTag = c.PoolSource;
    return v;
}

void FaderChannelEditor::SetSource(std::uint16_t Ref)
{
    TDevice* dev = Dev();
    const int number = SelectedChannel();
    TFaderChannel c;
    if (!dev || number < 0 || GetFaderChannel(*dev, number, c) != 1)
        return;
    std::string name = GetFaderChannelName(*dev, number);
    int device = FDeviceIndex;
    if (FedFromPool(c)) {
        c.PoolSource = Ref;
        device = FPoolDeviceIndex;
    } else {
        c.Source = Ref;
    }
    const bool stereoRef = (Ref & kStereoRef) != 0;
    c.MonitorL = static_cast<std::uint16_t>(Ref & 0xDFFE);
    c.MonitorR = static_cast<std::uint16_t>(((c.PoolFlags & kStereo) != 0 || stereoRef) ? Ref | 1 : Ref & 0xDFFF);
    SetBit(c.PoolFlags, kStereo, stereoRef);
    if (name.compare(0, 3, "New") == 0) {
        if (Ref >= kFirstMIDISource && Ref < kFirstMasterSource) {
            name = "MID" + std::to_string(Ref - kFirstMIDISource + 1);
        } else {
            name = GetAudioSourceName(FProject, Ref, device, false);
            if (stereoRef && !name.empty())
                name.pop_back();
        }
        c.LampSource = static_cast<std::uint16_t>(kFaderFunctionChannelBase + number);
        c.LampSource2 = static_cast<std::uint16_t>(kFaderFunction2ChannelBase + number);
    }
    SetFaderChannel(*dev, number, c);
    SetFaderChannelName(*dev, number, name);
    ScheduleRefresh();
    GetFaderChannel(*dev, number, c);
    FaderChannelRow& row = FRows[static_cast<std::size_t>(FSelected)];
    row.Caption = Caption(number, GetFaderChannelName(*dev, number));
    row.Source = SourceText(c);
}

void FaderChannelEditor::Change(const std::function<void(TFaderChannel&)>& Edit)
{
    if (!Editable())
        return;
    TDevice& dev = *Dev();
    const int number = SelectedChannel();
    TFaderChannel c;
    if (GetFaderChannel(dev, number, c) != 1)
        return;
    Edit(c);
    SetFaderChannel(dev, number, c);
}

void FaderChannelEditor::SetStereo(bool Checked)
{
    if (!Editable())
        return;
    Change([&](TFaderChannel& c) { SetBit(c.PoolFlags, kStereo, Checked); });
    TFaderChannel c;
    GetFaderChannel(*Dev(), SelectedChannel(), c);
    FRows[static_cast<std::size_t>(FSelected)].Source = SourceText(c);
    ScheduleRefresh();
}

void FaderChannelEditor::SetOnStart(bool Checked)
{
    Change([&](TFaderChannel& c) { SetBit(c.PoolFlags, kOnStart, Checked); });
}

void FaderChannelEditor::SetAutoOff(bool Checked)
{
    Change([&](TFaderChannel& c) { SetBit(c.PoolFlags, kAutoOff, Checked); });
}

void FaderChannelEditor::SetMuteLogic(int Index, bool Checked)
{
    if (Index < 0 || Index >= 5)
        return;
    Change([&](TFaderChannel& c) { SetBit(c.OutputMute, static_cast<std::uint8_t>(1u << Index), Checked); });
}

void FaderChannelEditor::SetLogicOption(FaderLogicOption Option, bool Checked)
{
    Change([&](TFaderChannel& c) { SetBit(c.Options, Option, Checked); });
}

std::string FaderChannelEditor::SetFaderStart(int Position)
{
    Change([&](TFaderChannel& c) { c.FaderStartLevel = static_cast<std::uint8_t>(Position); });
    return FaderStartText(Position);
}

void FaderChannelEditor::SetGlobalResource(int Item)
{
    if (!Editable())
        return;
    const std::vector<std::uint8_t> ids = ResourceIDs();
    const std::uint8_t id = Item > 0 && Item <= static_cast<int>(ids.size()) ? ids[static_cast<std::size_t>(Item - 1)] : 0;
    Change([&](TFaderChannel& c) { c.GlobalResource = id; });
}

void FaderChannelEditor::SetGlobalPool(bool Checked)
{
    if (!Editable())
        return;
    Change([&](TFaderChannel& c) {
        c.Source = Checked ? static_cast<std::uint16_t>(kGlobalPoolSourceMarker + c.Number) : 0;
        c.PoolSource = 0;
    });
    TFaderChannel c;
    GetFaderChannel(*Dev(), SelectedChannel(), c);
    FRows[static_cast<std::size_t>(FSelected)].Source = SourceText(c);
    ScheduleRefresh();
}

void FaderChannelEditor::SetCleanFeed(bool Checked)
{
    if (!Editable())
        return;
    TDevice& dev = *Dev();
    const int number = SelectedChannel();
    TFaderChannel c;
    if (GetFaderChannel(dev, number, c) != 1)
        return;
    if (Checked) {
        c.PoolFlags |= kFCHCleanFeed;
        if (AddCleanFeed(dev, number) == 0) {
            // Refused: the refresh shows the box unchecked again.
            ScheduleRefresh();
            return;
        }
    } else {
        DeleteCleanFeedOfChannel(dev, number);
        // The delete adapted the references to later clean feeds, in this channel too.
        GetFaderChannel(dev, number, c);
        c.PoolFlags = static_cast<std::uint8_t>(c.PoolFlags & ~kFCHCleanFeed);
    }
    SetFaderChannel(dev, number, c);
    FixCleanFeed(dev);
    RebuildLogicSources();
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->BuildSourceTree();
    FHost.UpdateResourceGauges();
}

void FaderChannelEditor::SetLabel(const std::string& Text)
{
    if (!Editable())
        return;
    const std::string label = Text.substr(0, 16);
    const int number = SelectedChannel();
    FRows[static_cast<std::size_t>(FSelected)].Caption = Caption(number, label);
    SetFaderChannelName(*Dev(), number, label);
    RebuildLogicSources();
}

void FaderChannelEditor::SetPool(int Item)
{
    if (!Editable() || Item < 0 || Item >= static_cast<int>(FPoolNumbers.size()))
        return;
    TDevice& dev = *Dev();
    const int number = SelectedChannel();
    const int pool = FPoolNumbers[static_cast<std::size_t>(Item)];
    const int strips = dev.Header()[dh::FaderCount];
    // The faders of one pool share one chain; the search sees the memberships before the change.
    for (int f = 0; f < strips; ++f) {
        TFader fader;
        GetFader(dev, f, fader);
        if (fader.FaderChannel != number)
            continue;
        if (pool == 0) {
            fader.Count = 0;
        } else {
            for (int g = 0; g < strips; ++g) {
                TFader other;
                TFaderChannel channel;
                GetFader(dev, g, other);
                if (other.FaderChannel != 0 && GetFaderChannel(dev, other.FaderChannel, channel) == 1 &&
                    (channel.PoolFlags & kFCHPoolMask) == pool) {
                    fader.Count = other.Count;
                    fader.Chain = other.Chain;
                    break;
                }
            }
        }
        SetFader(dev, f, fader);
    }
    Change([&](TFaderChannel& c) {
        c.PoolFlags = static_cast<std::uint8_t>((c.PoolFlags & ~kFCHPoolMask) | pool);
    });
    FRows[static_cast<std::size_t>(FSelected)].Pool = pool != 0 ? FPoolNames[static_cast<std::size_t>(Item)] : "";
}

void FaderChannelEditor::Add()
{
    TDevice* dev = Dev();
    if (FUpdating || !dev)
        return;
    const int number = AddFaderChannel(*dev);
    RebuildLogicSources();
    RefreshFaderChannelList();
    Select(RowOfChannel(number));
    if (FSelected < 0)
        return;
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetDeviceIndex(FDeviceIndex);
        audio->SetTargetKind(atFaderSource);
        audio->ShowPicker();
    }
}

void FaderChannelEditor::Insert()
{
    if (!Editable())
        return;
    InsertFaderChannel(*Dev(), FSelected);
    RefreshFaderChannelList();
}

void FaderChannelEditor::Remove()
{
    if (!Editable())
        return;
    DeleteFaderChannel(*Dev(), SelectedChannel());
    // The row now at the removed position stays selected.
    RefreshFaderChannelList();
}

void FaderChannelEditor::Move(int From, int To)
{
    TDevice* dev = Dev();
    if (!dev || From < 0 || To < 0)
        return;
    MoveFaderChannel(*dev, From, To);
    RefreshFaderChannelList();
}

void FaderChannelEditor::SelectSource()
{
    TDevice* dev = Dev();
    AudioSourcePicker* audio = FHost.AudioSources();
    TFaderChannel c;
    if (!dev || !audio || SelectedChannel() < 0 || GetFaderChannel(*dev, SelectedChannel(), c) != 1)
        return;
    if (FedFromPool(c)) {
        // The window already shows the pool's source device.
        audio->SetTargetKind(atPoolFaderSource);
        audio->SelectAudioSource(c.PoolSource);
    } else {
        audio->SetDeviceIndex(FDeviceIndex);
        audio->SelectAudioSource(c.Source);
        audio->SetTargetKind(atFaderSource);
    }
    audio->ShowPicker();
}

void FaderChannelEditor::SelectMonitor(bool Right)
{
    TDevice* dev = Dev();
    AudioSourcePicker* audio = FHost.AudioSources();
    TFaderChannel c;
    if (!dev || !audio || SelectedChannel() < 0 || GetFaderChannel(*dev, SelectedChannel(), c) != 1)
        return;
    audio->SetDeviceIndex(FDeviceIndex);
    audio->SelectAudioSource(Right ? c.MonitorR : c.MonitorL);
    audio->SetTargetKind(Right ? atMonitorR : atMonitorL);
    audio->ShowPicker();
}

void FaderChannelEditor::SelectLogic(FaderLogic Logic)
{
    TDevice* dev = Dev();
    LogicSourcePicker* logic = FHost.LogicSources();
    TFaderChannel c;
    if (!dev || !logic || SelectedChannel() < 0 || GetFaderChannel(*dev, SelectedChannel(), c) != 1)
        return;
    logic->SelectLogicSource(LogicField(c, Logic));
    logic->SetTargetKind(LogicKind(Logic));
    logic->BuildSourceTree();
    logic->ShowPicker();
}

void FaderChannelEditor::DropSource()
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTargetKind(atFaderSource);
        audio->Assign();
    }
}

bool FaderChannelEditor::MonitorAccepts(int SelectedRef)
{
    const int id = SelectedRef & 0x5FFF;
    return id < kFirstMIDISource || id >= kFirstVCASource;
}

void FaderChannelEditor::DropMonitor(bool Right)
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTargetKind(Right ? atMonitorR : atMonitorL);
        audio->Assign();
    }
}

void FaderChannelEditor::DropLogic(FaderLogic Logic)
{
    if (LogicSourcePicker* logic = FHost.LogicSources()) {
        logic->SetTargetKind(LogicKind(Logic));
        logic->Assign(AssignSender::Page);
        logic->ShowPicker();
    }
}

TargetSelection FaderChannelEditor::Selection(bool Logic, int)
{
    TargetSelection sel;
    const int number = SelectedChannel();
    // A logic field takes a source only while "Logic Functions" shows.
    if (number >= 0 && (!Logic || LogicFunctionsVisible(number)))
        sel.Element = number;
    return sel;
}

void FaderChannelEditor::Take(int Kind, const PickedSource& Source)
{
    if (Kind == atFaderSource || Kind == atPoolFaderSource)
        SetSource(Source.Ref);
}

} // namespace kvr::editors
