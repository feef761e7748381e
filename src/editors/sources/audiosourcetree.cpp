#include "editors/sources/audiosourcetree.h"

#include <algorithm>
#include <array>

#include "console/moduletypes.h"
#include "diagnostics/platform.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/keyfunctions.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/potnames.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "model/sourceids.h"
#include "model/sourcewalks.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

namespace kvr::editors {

using namespace kvr::model;
using diag::Format;

namespace {

inline constexpr int kPreFaderBase = 18944;
inline constexpr int kRoutingBase = 19200;
inline constexpr int kMIDIBase = 17920;
inline constexpr int kVCAFaderBase = 18304;

class AudioNodes {
public:
    AudioNodes(TDevice& dev, int filter, bool hide, SourceNodes& nodes)
        : FDev(dev), FFilter(filter), FHide(hide), FNodes(nodes)
    {
    }

    void Add()
    {
        AddNode(FNodes, -1, "None", 0);
        Inputs();
        Mixing();
        PreFaders();
        CleanFeeds();
        MonitorFunctions();
        FixedProcessings();
        OutputFunctions();
        SuperOutputFunctions();
        if (FFilter & afRouting) {
            const int group = Group("Routing");
            for (int i = 0; i < 768; ++i)
                Pair(group, Format("Routing%d", i + 1), kRoutingBase + 2 * i);
        }
        if (FFilter & afMIDI) {
            const int group = Group("MIDI");
            for (int i = 0; i < 16; ++i)
                AddNode(FNodes, group, Format("MIDI %d", i + 1), kMIDIBase + i);
        }
        if (FFilter & afMaster)
            Masters();
    }

private:
    int Group(const char* text) { return AddNode(FNodes, -1, text, kGroupNodeID); }
    int Header(std::size_t at) const { return FDev.Header()[at]; }
    bool Hidden(const std::string& label) const { return FHide && label.empty(); }
    // A stereo pair: text + " L" and text + " R", both marked stereo.
    void Pair(int group, const std::string& text, int base)
    {
        AddNode(FNodes, group, text + " L", base | arStereo);
        AddNode(FNodes, group, text + " R", (base + 1) | arStereo);
    }

    void Inputs()
    {
        const int group = Group("Input");
        for (int slot = 0; slot < 30; ++slot) {
            TCardRecord card;
            if (!GetCardRecord(FDev, slot, card))
                continue;
            const int type = card.CardType;
            if (type != 111 && type != 122 && type != 222 && type != 223 && type != 123 && type != kCardDSP)
                continue;
            // The decode takes a DSP card's 9-bit channel count and only the entries stored.
            for (const TChannelEntry& entry : card.Channels) {
                const int w = entry.ID;
                if (w & 0x80)
                    continue;
                const std::string label = LabelText(entry.Label);
                if (Hidden(label))
                    continue;
                const std::string text = "IN " + GetChannelName(w, type, false) + " " + label;
                if (w & arStereo) {
                    AddNode(FNodes, group, text + " L", w);
                    AddNode(FNodes, group, text + " R", (w + 1) | arStereo);
                } else {
                    AddNode(FNodes, group, text, w);
                }
            }
        }
    }

    void Mixing()
    {
        const int group = Group("Mixing");
        const auto buses = FDev.GetData(stBus);
        const int programs = Header(dh::ProgramBusCount);
        const int records = static_cast<int>(buses.size() / kBusRecordSize);
        for (int k = 0; k < records; ++k) {
            const std::size_t at = kBusRecordSize * static_cast<std::size_t>(k);
            // Program and AUX buses each count their pairs from 0.
            const int base = k < programs ? kProgramBusSourceBase + 2 * k : kAuxBusSourceBase + 2 * (k - programs);
            const std::string label = RecordLabel(buses, at, 16);
            if (Hidden(label))
                continue;
            if (buses[at + 16] & 0x80)
                Pair(group, label, base);
            else
                AddNode(FNodes, group, "Mono " + label, base | arStereo);
        }
    }

    void PreFaders()
    {
        const int group = Group("PreFader");
        for (int j = 0; j < 2 * Header(dh::FaderCount); ++j)
            AddNode(FNodes, group, Format("Pre Fader%d", j / 2 + 1) + (j % 2 ? " R" : " L"), kPreFaderBase + j);
    }

    void CleanFeeds()
    {
        const int group = Group("Clean Feed");
        const auto payload = FDev.GetData(stCleanFeed);
        const int count = std::min<int>(Header(dh::CleanFeedCount), static_cast<int>(payload.size() / kBusRecordSize));
        for (int i = 0; i < count; ++i) {
            const std::size_t at = kBusRecordSize * static_cast<std::size_t>(i);
            const std::string label = RecordLabel(payload, at, 16);
            if (Hidden(label))
                continue;
            if (payload[at + 16] & 0x80)
                Pair(group, label, kCleanFeedSourceBase + 2 * i);
            else
                AddNode(FNodes, group, label, kCleanFeedSourceBase + 2 * i);
        }
    }

    void MonitorFunctions()
    {
        const int group = Group("Monitor Functions");
        if (FFilter & afPFL)
            Pair(group, "PFL", 0x4000);
        if (FFilter & afRotaryMonitorSelect)
            Pair(group, "Rotary Monitor Select", 0x42C0);
        if (FFilter & afMonitorBuses)
            for (int i = 0; i < 6; ++i)
                Pair(group, Format("Monitor Bus%d", i + 1), 0x4200 + 2 * i);
        if (FFilter & afRotSelectors)
            for (int i = 0; i < 30; ++i)
                Pair(group, Format("Rot. Monitor Selector %d", i + 1), 0x4280 + 2 * i);
    }

    void FixedProcessings()
    {
        const int group = Group("Fixed Processing");
        const auto payload = FDev.GetData(stProc);
        const auto records = WalkFixedProcessings(payload, Header(dh::FixedProcCount));
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::string label = RecordLabel(payload, records[i].offset, 10);
            if (Hidden(label))
                continue;
            const int base = kFixedProcSourceBase + 2 * static_cast<int>(i);
            if (payload[records[i].offset + 12] & 0x80)
                Pair(group, "FP " + label, base);
            else
                AddNode(FNodes, group, "FP " + label, base);
        }
    }

    void OutputFunctions()
    {
        const int group = Group("Output Functions");
        const auto payload = FDev.GetData(stOutFkt);
        const auto records = WalkOutputFunctions(payload);
        const std::size_t count = std::min<std::size_t>(records.size(), static_cast<std::size_t>(Header(dh::OutFktCount)));
        for (std::size_t i = 0; i < count; ++i) {
            const std::string label = RecordLabel(payload, records[i].offset, 10);
            if (!Hidden(label))
                AddNode(FNodes, group, Format("%02d | OF %s", static_cast<int>(i + 1), label.c_str()),
                        kOutFktSourceBase + static_cast<int>(i));
        }
    }

    void SuperOutputFunctions()
    {
        const int group = Group("Super Output Functions");
        const auto payload = FDev.GetData(stSOF);
        const auto sofs = WalkSOFs(payload);
        for (std::size_t s = 0; s < sofs.size(); ++s) {
            // A record too short for its label has none.
            const std::string label = sofs[s].length >= 20 ? RecordLabel(payload, sofs[s].offset + 4, 16) : std::string();
            if (!Hidden(label))
                AddNode(FNodes, group, "SO " + label, kSOFSourceBase + static_cast<int>(s));
        }
    }

    void Masters()
    {
        const int group = Group("Master");
        const int programs = Header(dh::ProgramBusCount);
        for (int k = 0; k < programs + Header(dh::AuxBusCount); ++k) {
            TBusRecord bus;
            GetBus(FDev, k, bus);
            const int id = k < programs ? kProgramMasterBase + k : kAuxMasterBase + (k - programs);
            AddNode(FNodes, group, "MASTER " + LabelText(bus.Label), id);
        }
        const int vca = Group("VCA Fader");
        for (int i = 0; i < 8; ++i)
            AddNode(FNodes, vca, Format("VCA Fader %d", i + 1), kVCAFaderBase + i);
    }

    TDevice& FDev;
    int FFilter;
    bool FHide;
    SourceNodes& FNodes;
};

std::string PotName(TDevice& dev, int pot)
{
    std::string name;
    GetPotName(dev, pot, name);
    return name;
}

} // namespace

SourceNodes BuildAudioNodes(TProject& Project, int Device, int Filter, bool HideUnnamed)
{
    SourceNodes nodes;
    if (TDevice* dev = Project.Device(Device))
        AudioNodes(*dev, Filter, HideUnnamed, nodes).Add();
    return nodes;
}

std::vector<PotEntry> BuildPotList(TProject& Project, int Device)
{
    std::vector<PotEntry> pots{{"None", 0}};
    TDevice* dev = Project.Device(Device);
    if (dev == nullptr)
        return pots;
    std::string name;
    // Pots of the module that carries each block of ten, looked up once per block (-1: not yet).
    std::array<int, 12> carried;
    carried.fill(-1);
    const auto carriedPots = [&](int block) {
        int& pots = carried[static_cast<std::size_t>(block)];
        if (pots < 0) {
            std::vector<std::uint8_t> entry;
            pots = FindPotModule(*dev, block, entry) == 1 && !entry.empty() ? console::PotCount(ModuleType(entry)) : 0;
        }
        return pots;
    };
    for (int n = 1; n <= 120; ++n) {
        if (GetPotName(*dev, n, name) != 1)
            continue;
        const int block = (n - 1) / 10;
        // The module's own number only where that module really carries the pot.
        if ((n - 1) % 10 < carriedPots(block))
            pots.push_back({name + " (#C" + std::to_string(block + 1) + ")", n});
        else
            pots.push_back({name, n});
    }
    const std::string balance1 = PotName(*dev, 121);
    const std::string balance2 = PotName(*dev, 123);
    pots.push_back({balance1 + " L", 121});
    pots.push_back({balance1 + " R", 122});
    pots.push_back({balance2 + " L", 123});
    pots.push_back({balance2 + " R", 124});
    for (int n = kFirstCleanFeedPotID; n <= kLastCleanFeedPotID; ++n)
        if (GetPotName(*dev, n, name) == 1)
            pots.push_back({name, n});
    for (int g = 1; g <= kGlobalPotCount; ++g) {
        GetGlobalPotName(Project, g, name);
        pots.push_back({name, kLastCleanFeedPotID + g});
    }
    return pots;
}

void AudioSourceTree::Clear(const std::string& Caption)
{
    FNodes.clear();
    FSelected = -1;
    FCaption = Caption;
    // A cleared tree was built for no device, so coming back to the last device rebuilds it.
    FBuiltDevice = -1;
}

bool AudioSourceTree::BuildSourceTree(TProject* Project, bool HideUnnamed)
{
    if (Project == nullptr)
        return false;
    if (FDeviceIndex < 0) {
        Clear("Audio Sources in (no Device)");
        FBuiltFilter = 0;
        return true;
    }
    TDevice* dev = Project->Device(FDeviceIndex);
    if (dev == nullptr)
        return false;
    if (dev->GetDummyDevModel() > 0) {
        Clear("Audio Sources in (not available)");
        return true;
    }
    FCaption = "Audio Sources in " + dev->GetName();
    const SourceNode* before = SelectedNode();
    const int remembered = before != nullptr ? before->ID : 0;

    FPots = BuildPotList(*Project, FDeviceIndex);
    FPotIndex = KeepIndex(FPotIndex, static_cast<int>(FPots.size()), 0);

    if (FGroupFilter == FBuiltFilter && FDeviceIndex == FBuiltDevice && !dev->FAudioSourcesChanged)
        return false;
    FBuiltFilter = FGroupFilter;
    FBuiltDevice = FDeviceIndex;
    if (FBuilding)
        return false;
    FBuilding = true;
    FNodes = BuildAudioNodes(*Project, FDeviceIndex, FGroupFilter, HideUnnamed);
    FSelected = -1;
    dev->FAudioSourcesChanged = false;
    FBuilding = false;
    SelectAudioSource(static_cast<std::uint32_t>(remembered));
    return true;
}

void AudioSourceTree::SetPotIndex(int Index)
{
    FPotIndex = KeepIndex(Index, static_cast<int>(FPots.size()), FPotIndex);
}

void AudioSourceTree::SelectPot(int Pot)
{
    FPotIndex = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(FPots.size(), 255); ++i) {
        if (FPots[i].Pot == Pot) {
            FPotIndex = static_cast<int>(i);
            return;
        }
    }
}

bool AudioSourceTree::SelectAudioSource(std::uint32_t Ref)
{
    constexpr std::uint32_t ignored = arPhaseReverse | arStereo;
    for (std::size_t i = 0; i < FNodes.size(); ++i) {
        if (FNodes[i].IsGroup() || (static_cast<std::uint32_t>(FNodes[i].ID) & ~ignored) != (Ref & ~ignored))
            continue;
        FSelected = static_cast<int>(i);
        FPhase = (Ref & arPhaseReverse) != 0;
        return true;
    }
    return false;
}

std::uint16_t AudioSourceTree::ComposedRef(bool OptionPanelShown) const
{
    const SourceNode* node = SelectedNode();
    std::uint16_t ref = static_cast<std::uint16_t>(node != nullptr ? node->ID : 0);
    if (FPhase && OptionPanelShown)
        ref |= arPhaseReverse;
    return ref;
}

} // namespace kvr::editors
