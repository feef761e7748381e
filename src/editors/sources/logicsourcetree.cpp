#include "editors/sources/logicsourcetree.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "console/moduletypes.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/globalresources.h"
#include "model/keyaccess.h"
#include "model/logicrecords.h"
#include "model/modelutil.h"
#include "model/potaccess.h"
#include "model/potnames.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/sourceids.h"
#include "model/sourcewalks.h"
#include "model/summingbuses.h"

namespace kvr::editors {

using namespace kvr::model;

const std::array<std::uint16_t, 4> LogicConditionTable = {lcOn, lcOff, lcPulseOnActivate, lcPulseOnDeactivate};
const std::array<const char*, 4> LogicConditionTexts = {"ON", "OFF", "Pulse on activate", "Pulse on deactivate"};

namespace {

std::string TrimRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Adds the device's categories under one parent.
class DeviceCategories {
public:
    DeviceCategories(const std::vector<std::string>& globalLogicNames, TDevice& dev, int device, int parent, int filter,
                     bool hide, SourceNodes& nodes)
        : FGlobalLogicNames(globalLogicNames), FDev(dev), FDevice(device), FParent(parent), FFilter(filter), FHide(hide),
          FNodes(nodes)
    {
    }

    void Add()
    {
        Keys();
        if (!Reduced())
            CleanFeeds();
        GPIs();
        LogicFunctions();
        if (FFilter != lfGlobalLogicsPage)
            GlobalLogics();
        SystemFunctions();
        LogicDelays();
        LevelDetects("Level Detect", "LV ", kLevelDetectFirstID);
        LevelDetects("Correlation Detect", "LC ", kCorrelationDetectFirstID);
        FaderRow("Fader Start Fader ", "FS Fader ", 1686);
        ChannelsStored("Fader Start Channel", "FS ", kFaderStartChannelBase, 255);
        if (!Reduced()) {
            FaderRow("PFL Fader", "PFL Fader ", 2136);
            ChannelsByIndex("PFL Channel", "PFL ", kPFLChannelBase, -1);
        }
        FaderRow("Fader Function Fader", "FF Fader ", 2176);
        ChannelsByIndex("Fader Function Channel", "FF ", kFaderFunctionChannelBase, FDevice);
        ChannelsByIndex("Fader Function 2 Channel", "FF2 ", 1986, FDevice);
        if (!Reduced())
            RotarySelects();
        if (FDev.Header()[dh::TalkOptions] & 0x80)
            Talkback();
    }

private:
    bool Reduced() const { return (FFilter & lfReduced) != 0; }
    int Group(const std::string& text, int device) { return AddNode(FNodes, FParent, text, kGroupNodeID, device); }
    int Group(const std::string& text) { return Group(text, FDevice); }
    // An item whose name may be empty: left out when hiding; its number counts either way.
    void Item(int group, const std::string& name, const std::string& text, int id)
    {
        if (FHide && name.empty())
            return;
        AddNode(FNodes, group, text, id, FDevice);
    }
    int Header(std::size_t at) const { return FDev.Header()[at]; }

    void Keys()
    {
        static constexpr int types[] = {10, 11, 12, 25, 13, 26};
        // Every module entry is read once; the groups go by type, then by slot. These types keep
        // their key records in their own entries (no shared key table).
        std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> modules;
        for (const std::uint8_t slot : ConsoleModuleSlots()) {
            std::vector<std::uint8_t> entry;
            if (FDev.GetSetupData(slot, entry) && entry.size() >= kModuleHead)
                modules.emplace_back(slot, std::move(entry));
        }
        for (const int type : types) {
            for (const auto& [slot, entry] : modules) {
                if (ModuleType(entry) != type)
                    continue;
                const int number = ModuleEntryView(entry).ModuleNumber();
                const int group = Group(std::string(console::ModelNumber(type)) + console::ModuleNumberText(type, number));
                for (int k = 0; k < ModuleKeyCount(type); ++k) {
                    const std::optional<TKeyRecord> record = FindKeyRecord(entry, k);
                    // The label field ends before the kind byte and the logic words.
                    const std::string label = record ? RecordLabel(*record, 1, 30) : std::string();
                    if (!label.empty())
                        AddNode(FNodes, group, "KEY" + std::to_string(k + 1) + " " + label, 1 + 32 * number + k, FDevice);
                }
            }
        }
    }

    void CleanFeeds()
    {
        const int group = Group("Clean Feed", -1);
        const auto payload = FDev.GetData(stCleanFeed);
        const int count = std::min<int>(Header(dh::CleanFeedCount), static_cast<int>(payload.size() / kBusRecordSize));
        static constexpr std::pair<const char*, int> passes[] = {{"CF Prep. ", kCFPrepLogicBase},
                                                                 {"CF Talk ", kCFTalkLogicBase},
                                                                 {"CF Off Air ", kCFOffAirLogicBase},
                                                                 {"CF Output Select ", kCFOutputSelectLogicBase}};
        for (const auto& [prefix, base] : passes) {
            for (int c = 0; c < count; ++c) {
                const std::string label = RecordLabel(payload, kBusRecordSize * static_cast<std::size_t>(c), 16);
                Item(group, label, prefix + label, base + c);
            }
        }
    }

    void GPIs()
    {
        const int group = Group("GPI");
        int u = 0;
        for (int s = 0; s < FDev.GetSlotCount(); ++s) {
            const auto record = FDev.GetSetupData(static_cast<std::uint8_t>(s));
            const int type = CardTypeOf(record);
            if (s % 10 >= 8) {
                const int variant = CardRecordView(record).DSPVariant();
                if (type == kCardDSP && (variant == 2 || variant == 3)) {
                    FMadi[static_cast<std::size_t>(s / 10)][0] = true;
                    FMadi[static_cast<std::size_t>(s / 10)][1] = FMadi[static_cast<std::size_t>(s / 10)][1] || variant == 3;
                }
                continue;
            }
            const int base = 385 + 4 * u++;
            if (type != 111 && type != 122 && type != 123 && type != 222 && type != 223 && type != kCardGPIO)
                continue;
            TCardRecord card;
            DecodeCardRecord(record, card);
            const int step = type == kCardGPIO ? 4 : 2;
            for (int g = 0; g < 4; ++g) {
                if (type == 122 && (g == 1 || g == 3))
                    continue;
                const std::size_t entry = static_cast<std::size_t>(step * g);
                // Only the entries the record holds.
                if (entry >= card.GPIOs.size())
                    break;
                const std::string name = FieldText(card.GPIOs[entry]);
                const std::string channel = GetChannelName(MakeChannelID(s, static_cast<int>(entry), 0x40), type, false);
                Item(group, name, channel + "." + name, base + g);
            }
        }
    }

    void LogicFunctions()
    {
        const int group = Group("Logic Functions");
        const auto payload = FDev.GetData(stLogicFkt);
        const auto records = LogicFunctionRecords(payload);
        for (std::size_t n = 0; n < records.size(); ++n) {
            const std::string label = RecordLabel(payload, records[n].offset + 2, 10);
            Item(group, label, ZeroPad(static_cast<long long>(n + 1), 2) + " | LF " + label,
                 kLogicFunctionFirstID + static_cast<int>(n));
        }
    }

    void GlobalLogics()
    {
        const int group = Group("Global Logic");
        for (int n = 0; n < static_cast<int>(FGlobalLogicNames.size()); ++n) {
            const std::string& name = FGlobalLogicNames[static_cast<std::size_t>(n)];
            const std::string number = std::to_string(n + 1);
            if (FHide && name == "GL " + number)
                continue;
            AddNode(FNodes, group, "GL" + number + " " + name, 1081 + n, -1);
        }
    }

    void SystemFunctions()
    {
        const int group = Group("System Functions");
        const auto add = [&](int id) { AddNode(FNodes, group, GetSystemSignalName(static_cast<std::uint32_t>(id)), id, FDevice); };
        const bool reduced = Reduced();
        const bool powerFail = (FFilter & lfPowerFail) != 0;
        if (!reduced)
            add(1281);
        if (powerFail && !reduced)
            for (int id = 1282; id <= 1284; ++id)
                add(id);
        for (int id : {1285, 1286, 1287, 1296, 1299})
            add(id);
        if (!reduced) {
            add(1288);
            add(1289);
        }
        if (powerFail) {
            add(1297);
            // The signal's stored name keeps its old spelling; the tree spells it right.
            AddNode(FNodes, group, "Power Fail Slave", 1298, FDevice);
        }
        for (std::size_t block = 0; block < FMadi.size(); ++block)
            for (std::size_t port = 0; port < 2; ++port)
                if (FMadi[block][port])
                    add(1290 + static_cast<int>(2 * block + port));
    }

    void LogicDelays()
    {
        const int group = Group("Logic Delay");
        const auto payload = FDev.GetData(stLogicDelay);
        for (std::size_t n = 0; n < kLogicDelayList.count(payload.size()); ++n) {
            const std::string label = RecordLabel(payload, kLogicDelayList.offset(n), 10);
            Item(group, label, "LD " + label, kLogicDelayFirstID + static_cast<int>(n));
        }
    }

    void LevelDetects(const char* caption, const char* prefix, int first)
    {
        const int group = Group(caption);
        const auto payload = FDev.GetData(stLevelDetect);
        const FixedList list = LevelDetectList(payload);
        for (std::size_t n = 0; n < list.count(payload.size()); ++n) {
            const std::string label = RecordLabel(payload, list.offset(n), 10);
            Item(group, label, prefix + label, first + static_cast<int>(n));
        }
    }

    void FaderRow(const char* caption, const char* prefix, int first)
    {
        const int group = Group(caption);
        for (int n = 0; n < Header(dh::FaderCount); ++n)
            AddNode(FNodes, group, prefix + std::to_string(n + 1), first + n, FDevice);
    }

    // Stored records of structure 4 in stored order, channels numbered up to maxNumber.
    void ChannelsStored(const char* caption, const char* prefix, int first, int maxNumber)
    {
        const int group = Group(caption);
        ForStoredChannels(maxNumber, [&](int number) {
            const std::string& name = ChannelName(number);
            Item(group, name, prefix + name, first + number);
        });
    }

    // The channel names are read once per device, not once per item.
    const std::string& ChannelName(int number)
    {
        if (!FChannelNames)
            FChannelNames = FaderChannelNames(FDev);
        return (*FChannelNames)[static_cast<std::size_t>(number)];
    }

    template <typename Fn>
    void ForStoredChannels(int maxNumber, Fn fn)
    {
        const auto payload = FDev.GetData(stFCH);
        for (std::size_t i = 0; i < kFaderChannelList.count(payload.size()); ++i) {
            const int number = payload[kFaderChannelList.offset(i) + 20];
            if (number <= maxNumber)
                fn(number);
        }
    }

    void ChannelsByIndex(const char* caption, const char* prefix, int first, int groupDevice)
    {
        const int group = Group(caption, groupDevice);
        ForStoredChannels(kNoFaderChannelNumber, [&](int number) {
            const std::string& name = ChannelName(number);
            Item(group, name, prefix + name, first + number);
        });
    }

    void RotarySelects()
    {
        const int group = Group("Rotary Select");
        const auto payload = FDev.GetData(stSourceList);
        int k = 0;
        for (int l = 0; l < 10; ++l) {
            const auto list = FindSourceList(payload, l);
            if (!list)
                continue;
            const std::string label = TrimRight(LabelText(list->Label));
            for (std::size_t e = 0; e < std::min<std::size_t>(list->Count, kSourceListMaxEntries); ++e) {
                if (k >= 150)
                    return;
                AddNode(FNodes, group, "RS " + label + "." + TrimRight(LabelText(list->Entries[e].Text)), 1536 + k++,
                        FDevice);
            }
        }
    }

    void Talkback()
    {
        const int group = Group("Talkback");
        ForStoredChannels(40, [&](int number) {
            const std::string& name = ChannelName(number);
            Item(group, name, "TS " + name, kTalkbackChannelBase + number);
        });
        const auto buses = FDev.GetData(stBus);
        const std::size_t programs = static_cast<std::size_t>(Header(dh::ProgramBusCount));
        for (std::size_t b = programs; b < buses.size() / kBusRecordSize; ++b)
            AddNode(FNodes, group, "TD " + RecordLabel(buses, kBusRecordSize * b, 16),
                    1796 + static_cast<int>(b - programs), FDevice);
    }

    const std::vector<std::string>& FGlobalLogicNames;
    TDevice& FDev;
    int FDevice;
    int FParent;
    int FFilter;
    bool FHide;
    SourceNodes& FNodes;
    // MADI 1 and 2 of the slot groups 1-10, 11-20, 21-30, marked by the DSP cards of this device.
    std::array<std::array<bool, 2>, 3> FMadi{};
    std::optional<FaderChannelNameTable> FChannelNames;
};

void GlobalResources(TProject& project, SourceNodes& nodes, const std::function<void()>& pump)
{
    const int group = AddNode(nodes, -1, "Global Resources", kGroupNodeID, -1);
    // Read from device 0, which holds the project's list, without the sync: building never writes.
    const TDevice* first = project.Device(0);
    if (first == nullptr)
        return;
    auto ids = GetGlobalResourceIDs(*first);
    std::sort(ids.begin(), ids.end());
    for (const std::uint8_t id : ids) {
        if (pump)
            pump();
        TGlobalResource resource;
        if (GetGlobalResource(*first, id, resource) == 0)
            continue;
        for (std::size_t s = 0; s < std::min<std::size_t>(resource.Count, kMaxSubscribers); ++s) {
            const TSubscriber& sub = resource.Subscribers[s];
            const TDevice* dev = project.Device(project.IndexOfDevice(sub.DeviceID));
            if (dev == nullptr)
                continue;
            AddNode(nodes, group, LabelText(resource.Label) + "." + dev->GetName(), sub.LogicID, -1, id);
        }
    }
}

std::vector<std::string> GlobalLogicNames(TProject& project)
{
    const auto payload = project.GetProjData(pstGlobalLogics);
    std::vector<std::string> names;
    names.reserve(kGlobalLogicCount);
    for (int n = 0; n < kGlobalLogicCount; ++n)
        names.push_back(ReadGlobalLogicName(payload, n));
    return names;
}

// The nodes before the devices'.
SourceNodes HeadNodes(TProject& project, int filter, const std::function<void()>& pump)
{
    SourceNodes nodes;
    AddNode(nodes, -1, "None", 0);
    if (filter & lfOff)
        AddNode(nodes, -1, "OFF", OffLogicID);
    GlobalResources(project, nodes, pump);
    return nodes;
}

// One device's nodes: its own node when it has one, then its categories. Parents count from
// the branch's first node; -1 is the root.
SourceNodes DeviceNodes(TDevice& dev, int device, bool ownNode, int filter, bool hide,
                        const std::vector<std::string>& globalLogicNames)
{
    SourceNodes nodes;
    const int parent = ownNode ? AddNode(nodes, -1, dev.GetName(), 0, device) : -1;
    DeviceCategories(globalLogicNames, dev, device, parent, filter, hide, nodes).Add();
    return nodes;
}

// Appends a device's nodes, their parents moved to where they now stand.
void AppendBranch(SourceNodes& nodes, const SourceNodes& branch)
{
    const int base = static_cast<int>(nodes.size());
    nodes.reserve(nodes.size() + branch.size());
    for (const SourceNode& node : branch) {
        nodes.push_back(node);
        if (node.Parent >= 0)
            nodes.back().Parent += base;
    }
}

// The devices a build shows: every device of the project in all-devices mode, else only one.
std::pair<int, int> BuiltDevices(TProject& project, int device, int filter)
{
    if ((filter & lfAllDevices) == 0)
        return {device, device};
    return {0, project.GetHeader()[ph::DeviceCount] - 1};
}

} // namespace

SourceNodes BuildLogicNodes(TProject& Project, int Device, int Filter, bool HideUnnamed, const std::function<void()>& Pump)
{
    SourceNodes nodes = HeadNodes(Project, Filter, Pump);
    const std::vector<std::string> globalLogicNames = GlobalLogicNames(Project);
    const bool ownNodes = (Filter & lfAllDevices) != 0 && Project.GetHeader()[ph::DeviceCount] > 1;
    const auto [from, to] = BuiltDevices(Project, Device, Filter);
    for (int d = from; d <= to; ++d) {
        TDevice* dev = Project.Device(d);
        if (dev == nullptr || dev->IsDummy())
            continue;
        AppendBranch(nodes, DeviceNodes(*dev, d, ownNodes, Filter, HideUnnamed, globalLogicNames));
        dev->FLogicSourcesChanged = false;
    }
    return nodes;
}

void LogicSourceTree::BuildNodes(TProject& Project, int Device, bool HideUnnamed, const std::function<void()>& Pump)
{
    FNodes = HeadNodes(Project, FGroupFilter, Pump);
    FBranches.clear();
    std::vector<std::string> globalLogicNames = GlobalLogicNames(Project);
    if (globalLogicNames != FGlobalLogicNames) {
        FDeviceBranches.clear();
        FGlobalLogicNames = std::move(globalLogicNames);
    }
    const bool all = (FGroupFilter & lfAllDevices) != 0;
    const bool ownNodes = all && Project.GetHeader()[ph::DeviceCount] > 1;
    const auto [from, to] = BuiltDevices(Project, Device, FGroupFilter);
    for (int d = from; d <= to; ++d) {
        TDevice* dev = Project.Device(d);
        if (dev == nullptr || dev->IsDummy())
            continue;
        if (FDeviceBranches.size() <= static_cast<std::size_t>(d))
            FDeviceBranches.resize(static_cast<std::size_t>(d) + 1);
        DeviceBranch& cached = FDeviceBranches[static_cast<std::size_t>(d)];
        // One device's nodes are built anew whenever asked for; the nodes kept for all devices
        // stay while the device's sources did not change.
        if (!all) {
            if (dev->FLogicSourcesChanged)
                cached = DeviceBranch{};
            AppendBranch(FNodes, DeviceNodes(*dev, d, false, FGroupFilter, HideUnnamed, FGlobalLogicNames));
            dev->FLogicSourcesChanged = false;
            continue;
        }
        if (cached.Serial == 0 || cached.Dev != dev || dev->FLogicSourcesChanged || cached.Name != dev->GetName() ||
            cached.Filter != FGroupFilter || cached.Hide != HideUnnamed || cached.OwnNode != ownNodes) {
            cached.Dev = dev;
            cached.Name = dev->GetName();
            cached.Filter = FGroupFilter;
            cached.Hide = HideUnnamed;
            cached.OwnNode = ownNodes;
            cached.Nodes = DeviceNodes(*dev, d, ownNodes, FGroupFilter, HideUnnamed, FGlobalLogicNames);
            cached.Serial = ++FLastSerial;
        }
        dev->FLogicSourcesChanged = false;
        // Only a device with its own node is a branch the window can keep.
        if (ownNodes && !cached.Nodes.empty())
            FBranches.push_back({static_cast<int>(FNodes.size()), static_cast<int>(cached.Nodes.size()), cached.Serial});
        AppendBranch(FNodes, cached.Nodes);
    }
}

void LogicSourceTree::Clear(const std::string& Caption)
{
    FNodes.clear();
    FBranches.clear();
    FSelected = -1;
    FCaption = Caption;
    FBuiltDevice = -1;
}

bool LogicSourceTree::BuildSourceTree(TProject* Project, int CurDevice, bool HideUnnamed, const std::function<void()>& Pump)
{
    if (Project == nullptr || FBuilding)
        return false;
    bool rebuild = FGroupFilter != FBuiltFilter || CurDevice != FBuiltDevice;
    if (FGroupFilter & lfAllDevices) {
        const int devices = Project->GetHeader()[ph::DeviceCount];
        for (int d = 0; d < devices; ++d)
            if (const TDevice* dev = Project->Device(d); dev != nullptr && dev->FLogicSourcesChanged)
                rebuild = true;
        FCaption = "Logic Sources in " + Project->GetName();
    } else {
        TDevice* dev = Project->Device(CurDevice);
        if (dev == nullptr) {
            Clear("Logic Sources in (no Device)");
            return true;
        }
        if (dev->GetDummyDevModel() > 0) {
            Clear("Logic Sources in (not available)");
            return true;
        }
        FCaption = "Logic Sources in " + dev->GetName();
        rebuild = rebuild || dev->FLogicSourcesChanged;
    }
    if (!rebuild)
        return false;

    const SourceNode* before = SelectedNode();
    const int remembered = before != nullptr ? before->ID : -1;
    FBuilding = true;
    FBuiltFilter = FGroupFilter;
    FBuiltDevice = CurDevice;
    BuildNodes(*Project, CurDevice, HideUnnamed, Pump);
    FSelected = -1;
    // The selection comes back by ID, conditions ignored: the last node of that ID.
    if (remembered >= 0)
        for (std::size_t i = 0; i < FNodes.size(); ++i)
            if (FNodes[i].ID == (remembered & LogicIDMask))
                FSelected = static_cast<int>(i);
    FBuilding = false;
    return true;
}

void LogicSourceTree::SetConditionIndex(int Index)
{
    if (Index >= 0 && Index < static_cast<int>(LogicConditionTable.size()))
        FCondition = Index;
}

bool LogicSourceTree::SelectLogicSource(std::uint32_t Ref, int Device)
{
    const int id = static_cast<int>(Ref & LogicIDMask);
    for (std::size_t i = 0; i < FNodes.size(); ++i) {
        if (FNodes[i].ID != id || (Device >= -1 && FNodes[i].Device != Device))
            continue;
        FSelected = static_cast<int>(i);
        const auto condition = std::find(LogicConditionTable.begin(), LogicConditionTable.end(), Ref & LogicConditionMask);
        FCondition = static_cast<int>(condition - LogicConditionTable.begin());
        return true;
    }
    return false;
}

std::uint16_t LogicSourceTree::ComposedRef() const
{
    const SourceNode* node = SelectedNode();
    return static_cast<std::uint16_t>((node != nullptr ? node->ID : 0) | LogicConditionTable[static_cast<std::size_t>(FCondition)]);
}

} // namespace kvr::editors
