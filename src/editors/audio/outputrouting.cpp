#include "editors/audio/outputrouting.h"

#include "editors/common/editorhost.h"
#include "editors/common/sourceassign.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/outputchannels.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

constexpr const char* kEnabledText = "Enabled";
constexpr std::size_t kRoutingEntrySize = 6;

// A row's channel against a card entry's word, bit 0 ignored on both sides.
bool SamePair(std::uint16_t a, std::uint16_t b)
{
    return (a | 1u) == (b | 1u);
}

} // namespace

OutputRoutingPage::OutputRoutingPage(EditorHost& Host) : FHost(Host)
{
    for (int i = 0; i < kRoutingMuteLogics; ++i)
        FMuteCaptions[static_cast<std::size_t>(i)] = "MuteLogic " + std::to_string(i + 1);
    Register(this);
}

OutputRoutingPage::~OutputRoutingPage()
{
    Register(nullptr);
}

void OutputRoutingPage::Register(SourceTarget* Target)
{
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetTarget(atOutputRouting, Target);
}

TDevice* OutputRoutingPage::Device() const
{
    TProject* project = FHost.Project();
    TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr;
    return dev != nullptr && !dev->IsDummy() ? dev : nullptr;
}

void OutputRoutingPage::Notify() const
{
    if (Changed)
        Changed();
}

void OutputRoutingPage::ShowMutes(RoutingRow& Row) const
{
    TMuteLogicNames names;
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = FMuteCaptions[i];
    Row.Mutes = MuteLogicList(names, Row.MuteBits);
}

void OutputRoutingPage::FillOutputRouting()
{
    // The source windows may have come after the page.
    Register(this);
    TDevice* dev = Device();
    if (dev == nullptr) {
        FRows.clear();
        FSelected = -1;
        Notify();
        return;
    }
    const TMuteLogicNames names = MuteLogicNames(*dev);
    for (std::size_t i = 0; i < names.size(); ++i)
        FMuteCaptions[i] = names[i];
    TProject& project = *FHost.Project();
    const int device = FHost.CurrentDevice();
    std::size_t r = 0;
    for (const TOutputChannel& output : OutputChannels(*dev, true)) {
        if (r == FRows.size())
            FRows.emplace_back();
        RoutingRow& row = FRows[r++];
        row.Name = output.Stereo ? output.Label + (output.Right ? " R" : " L") : output.Label;
        row.Address = GetChannelName(output.Stereo && output.Right ? output.ID - 1 : output.ID, output.CardType, false);
        if (output.Stereo)
            row.Address += output.Right ? " R" : " L";
        row.CardType = output.CardType;
        row.Channel = output.ID;
        row.Slot = output.Slot;
        TChannelOption option;
        option.OutputID = output.ID;
        GetChannelOption(*dev, option);
        row.Ref = option.Source;
        row.MuteBits = option.MuteLogics;
        row.Source = GetAudioSourceName(project, option.Source, device, false);
        ShowMutes(row);
        // CS-Routing is a switch of the digital I/O card only.
        row.CS = output.CardType == kCardDigitalIO && (output.Option & kChannelCSRouting) != 0;
        row.CSRouting = row.CS ? kEnabledText : "";
    }
    FRows.resize(r);
    if (FSelected >= static_cast<int>(FRows.size()))
        FSelected = -1;
    Select(FSelected);
}

bool OutputRoutingPage::MuteLogicBox(int Box) const
{
    if (FSelected < 0 || Box < 0 || Box >= kRoutingMuteLogics)
        return false;
    return (FRows[static_cast<std::size_t>(FSelected)].MuteBits & (1u << Box)) != 0;
}

void OutputRoutingPage::Select(int Row)
{
    FSelected = Row >= 0 && Row < static_cast<int>(FRows.size()) ? Row : -1;
    if (FSelected < 0) {
        FMuteVisible = false;
        Notify();
        return;
    }
    RoutingRow& row = FRows[static_cast<std::size_t>(FSelected)];
    FCSVisible = row.CardType == kCardDigitalIO;
    FCSBox = row.CS;
    FMuteVisible = (row.Ref != 0 || row.CS) && row.CardType != kCardDSP;
    ShowMutes(row);
    Notify();
}

TargetSelection OutputRoutingPage::Selection(int Kind)
{
    TargetSelection sel;
    if (Kind == atOutputRouting && FSelected >= 0)
        sel.Element = FRows[static_cast<std::size_t>(FSelected)].Channel;
    return sel;
}

void OutputRoutingPage::PickSource()
{
    AudioSourcePicker* picker = FHost.AudioSources();
    if (picker == nullptr || FSelected < 0)
        return;
    picker->SetTargetKind(atOutputRouting);
    picker->SelectAudioSource(FRows[static_cast<std::size_t>(FSelected)].Ref);
    picker->SetDeviceIndex(FHost.CurrentDevice());
    picker->ShowPicker();
}

void OutputRoutingPage::DropOn(int Row)
{
    Select(Row);
    if (AudioSourcePicker* picker = FHost.AudioSources()) {
        picker->SetTargetKind(atOutputRouting);
        picker->Assign();
    }
}

void OutputRoutingPage::Take(int Kind, const PickedSource& Source, const TargetSelection& Selection)
{
    TDevice* dev = Device();
    if (Kind != atOutputRouting || dev == nullptr || FSelected < 0 || Selection.Element < 0)
        return;
    const int at = FSelected;
    RoutingRow& row = FRows[static_cast<std::size_t>(at)];
    TChannelOption option;
    option.OutputID = row.Channel;
    GetChannelOption(*dev, option);
    std::uint8_t mutes = option.Source != 0 ? option.MuteLogics : 0;
    if (Source.Ref == 0) {
        mutes = 0;
        row.MuteBits = 0;
        row.Mutes.clear();
    }
    SetChannelOption(*dev, {row.Channel, Source.Ref, mutes, 0});
    row.Source = GetAudioSourceName(*FHost.Project(), Source.Ref, FHost.CurrentDevice(), false);
    row.Ref = Source.Ref;
    row.CS = false;
    // The box still shows the row before the assignment: its CS-Routing goes to the pair again.
    ApplyCSRouting(FCSBox);
    Select(at);
    if (at + 1 < static_cast<int>(FRows.size()) && FHost.SelectNextRoutingAfterAssign()) {
        Select(at + 1);
        if (AudioSourcePicker* picker = FHost.AudioSources())
            picker->SelectNextSibling();
    }
}

void OutputRoutingPage::Clear()
{
    TDevice* dev = Device();
    if (dev == nullptr || FSelected < 0)
        return;
    RoutingRow& row = FRows[static_cast<std::size_t>(FSelected)];
    SetChannelOption(*dev, {row.Channel, 0, 0, 0});
    row.Source = GetAudioSourceName(*FHost.Project(), 0, FHost.CurrentDevice(), false);
    // The row's CS-Routing mark goes with its source until the next refill.
    row.Ref = 0;
    row.CS = false;
    Notify();
}

void OutputRoutingPage::ClearAll()
{
    TDevice* dev = Device();
    if (dev == nullptr)
        return;
    dev->SetData(stOutputRouting, {});
    FillOutputRouting();
}

void OutputRoutingPage::SetMuteLogic(int Box, bool On)
{
    TDevice* dev = Device();
    if (dev == nullptr || FSelected < 0 || Box < 0 || Box >= kRoutingMuteLogics)
        return;
    const RoutingRow& row = FRows[static_cast<std::size_t>(FSelected)];
    // Without a source and without CS-Routing an output has no entry to carry mute logics.
    if (row.Ref == 0 && !row.CS)
        return;
    TChannelOption option;
    option.OutputID = row.Channel;
    GetChannelOption(*dev, option);
    const auto bit = static_cast<std::uint8_t>(1u << Box);
    option.MuteLogics = On ? static_cast<std::uint8_t>(option.MuteLogics | bit)
                           : static_cast<std::uint8_t>(option.MuteLogics & ~bit);
    option.Options = row.CS ? kKeepChannelOption : 0;
    SetChannelOption(*dev, option);
    FillOutputRouting();
}

int OutputRoutingPage::RowOfChannel(int Slot, std::uint16_t Channel) const
{
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].Slot == Slot && FRows[i].Channel == Channel)
            return static_cast<int>(i);
    return -1;
}

void OutputRoutingPage::SetCSRouting(bool On)
{
    if (FSelected < 0)
        return;
    FCSBox = On;
    ApplyCSRouting(On);
    Select(FSelected);
}

void OutputRoutingPage::ApplyCSRouting(bool On)
{
    TDevice* dev = Device();
    if (dev == nullptr || FSelected < 0)
        return;
    const RoutingRow selected = FRows[static_cast<std::size_t>(FSelected)];
    std::vector<std::uint8_t> record = dev->GetSetupData(static_cast<std::uint8_t>(selected.Slot));
    if (record.empty())
        return;
    if (selected.CardType == kCardDigitalIO && CardTypeOf(record) == kCardDigitalIO) {
        // Every entry of the channel pair, a stereo entry or the two mono entries, by channel.
        bool changed = false;
        for (int i = 0; i < CardRecordView(record).StoredChannels(); ++i) {
            const ChannelEntryView entry = *CardRecordView(record).Channel(i);
            if (!SamePair(static_cast<std::uint16_t>(entry.ID()), selected.Channel))
                continue;
            const int option = entry.Option();
            const int updated = On ? option | kChannelCSRouting : option & ~kChannelCSRouting;
            changed = changed || updated != option;
            CardRecordWriter(record).SetOption(i, updated);
        }
        if (changed)
            dev->SetSetupData(static_cast<std::uint8_t>(selected.Slot), record);
    }
    // The rows of the pair: this output and the one of the other channel of its even/odd pair on
    // the same card, found by channel.
    std::vector<int> rows{FSelected};
    if (const int partner = RowOfChannel(selected.Slot, static_cast<std::uint16_t>(selected.Channel ^ 1u)); partner >= 0)
        rows.push_back(partner);
    for (const int r : rows) {
        RoutingRow& row = FRows[static_cast<std::size_t>(r)];
        row.CS = On;
        TChannelOption option;
        option.OutputID = row.Channel;
        GetChannelOption(*dev, option);
        option.Options = On ? kKeepChannelOption : 0;
        SetChannelOption(*dev, option);
        if (On)
            row.CSRouting = kEnabledText;
    }
    if (!On)
        FillOutputRouting();
    else
        Notify();
}

void OutputRoutingPage::WriteBack()
{
    TDevice* dev = Device();
    if (dev == nullptr || FWritingBack)
        return;
    FWritingBack = true;
    const bool changed = dev->IsChanged();
    const auto before = dev->GetHeader();
    // The whole routing is built first and stored once: nothing else may meet the device with
    // half of it. Rows with CS-Routing keep their entry (and mute logics) without a source.
    std::vector<std::uint8_t> payload;
    for (const RoutingRow& row : FRows) {
        if ((row.Ref == 0 && !row.CS) || row.Address.find("None") != std::string::npos)
            continue;
        // A channel listed twice keeps its last row's entry, as single stores would.
        for (std::size_t at = 0; at < payload.size(); at += kRoutingEntrySize) {
            if ((readBE16(payload, at) & AudioSourceMask) == (row.Channel & AudioSourceMask)) {
                payload.erase(payload.begin() + static_cast<std::ptrdiff_t>(at),
                              payload.begin() + static_cast<std::ptrdiff_t>(at + kRoutingEntrySize));
                break;
            }
        }
        const std::size_t at = payload.size();
        payload.resize(at + kRoutingEntrySize, 0);
        writeBE16(payload, at, row.Channel);
        writeBE16(payload, at + 2, row.Ref);
        payload[at + 4] = row.MuteBits;
    }
    dev->SetData(stOutputRouting, payload);
    auto after = dev->GetHeader();
    std::copy_n(before.begin() + dh::ChangeTime, 4, after.begin() + dh::ChangeTime);
    dev->SetHeader(after, false);
    dev->SetChangedFlag(changed);
    FWritingBack = false;
}

} // namespace kvr::editors
