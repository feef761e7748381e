#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "editors/sources/logicsourcetree.h"
#include "model/channelname.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "imagebuilder.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

class LogicTree : public SourceProject {
protected:
    SourceNodes Build(int filter, bool hide = false) { return BuildLogicNodes(project, 0, filter, hide); }

    // Global resource 2 "Studio" subscribed by device 0 (logic 1836) and by a device not in the project.
    void AddGlobalResource()
    {
        Bytes res(30, 0);
        res[0] = 2;
        res[2] = 2;
        PutText(res, 14, "Studio");
        Bytes sub(12, 0);
        writeBE32(sub, 0, dev->GetDeviceID());
        PutWord(sub, 4, 1836);
        writeBE32(sub, 6, 4711);
        PutWord(sub, 10, 1837);
        dev->SetData(stGlobalRes, Concat({Bytes{30, 6}, res, sub}));
    }
};

TEST_F(LogicTree, OneDeviceOffersItsCategoriesAtTheRootInFixedOrder)
{
    const SourceNodes nodes = Build(0);
    EXPECT_EQ(RootTexts(nodes), (std::vector<std::string>{
                                    "None", "Global Resources", "KX730-010 #C1", "Clean Feed", "GPI", "Logic Functions",
                                    "Global Logic", "System Functions", "Logic Delay", "Level Detect",
                                    "Correlation Detect", "Fader Start Fader ", "Fader Start Channel", "PFL Fader",
                                    "PFL Channel", "Fader Function Fader", "Fader Function Channel",
                                    "Fader Function 2 Channel", "Rotary Select", "Talkback"}));
    EXPECT_EQ(nodes[0].ID, 0);
    EXPECT_EQ(Group(nodes, "KX730-010 #C1"), (std::vector<Item>{{"KEY1 Talk", 1}, {"KEY4 Cue", 4}}));
    EXPECT_EQ(Group(nodes, "Clean Feed"),
              (std::vector<Item>{{"CF Prep. CFa", 1416}, {"CF Prep. ", 1417}, {"CF Talk CFa", 1446}, {"CF Talk ", 1447},
                                 {"CF Off Air CFa", 1476}, {"CF Off Air ", 1477}, {"CF Output Select CFa", 1506},
                                 {"CF Output Select ", 1507}}));
    EXPECT_EQ(Group(nodes, "Logic Functions"),
              (std::vector<Item>{{"01 | LF Mic On", 931}, {"02 | LF ", 932}, {"03 | LF Third", 933}}));
    EXPECT_EQ(Group(nodes, "System Functions"),
              (std::vector<Item>{{"PFL On", 1281}, {"OffAir", 1285}, {"Voice", 1286}, {"PGM1", 1287}, {"Solo", 1296},
                                 {"Solo Inplace", 1299}, {"Timer Running", 1288}, {"Timer Reset", 1289}}));
    EXPECT_EQ(Group(nodes, "Logic Delay"), (std::vector<Item>{{"LD Del", 1381}}));
    EXPECT_EQ(Group(nodes, "Level Detect"), (std::vector<Item>{{"LV Lev", 1401}}));
    EXPECT_EQ(Group(nodes, "Correlation Detect"), (std::vector<Item>{{"LC Lev", 1366}}));
    EXPECT_EQ(Group(nodes, "Fader Start Fader "), (std::vector<Item>{{"FS Fader 1", 1686}, {"FS Fader 2", 1687}}));
    EXPECT_EQ(Group(nodes, "Fader Start Channel"), (std::vector<Item>{{"FS Mic", 486}, {"FS Far", 522}}));
    EXPECT_EQ(Group(nodes, "PFL Fader"), (std::vector<Item>{{"PFL Fader 1", 2136}, {"PFL Fader 2", 2137}}));
    EXPECT_EQ(Group(nodes, "PFL Channel"), (std::vector<Item>{{"PFL Mic", 786}, {"PFL Far", 822}}));
    EXPECT_EQ(Group(nodes, "Fader Function Channel"), (std::vector<Item>{{"FF Mic", 636}, {"FF Far", 672}}));
    EXPECT_EQ(Group(nodes, "Fader Function 2 Channel"), (std::vector<Item>{{"FF2 Mic", 1991}, {"FF2 Far", 2027}}));
    EXPECT_EQ(Group(nodes, "Rotary Select"), (std::vector<Item>{{"RS Src.A", 1536}, {"RS Src.B", 1537}}));
    // Channels above 40 have no talkback; the TD part takes the AUX buses.
    EXPECT_EQ(Group(nodes, "Talkback"), (std::vector<Item>{{"TS Mic", 1760}, {"TD Aux1", 1796}}));
    const auto globals = Group(nodes, "Global Logic");
    ASSERT_EQ(globals.size(), 200u);
    EXPECT_EQ(globals[0], (Item{"GL1 GL 1", 1081}));
    EXPECT_EQ(globals[199], (Item{"GL200 GL 200", 1280}));
}

TEST_F(LogicTree, DeviceIndexesMarkProjectWideNodes)
{
    const SourceNodes nodes = Build(0);
    for (const auto& [text, device] : std::vector<std::pair<std::string, int>>{
             {"None", -1}, {"Global Resources", -1}, {"Clean Feed", -1}, {"PFL Channel", -1}, {"GL1 GL 1", -1},
             {"KX730-010 #C1", 0}, {"KEY1 Talk", 0}, {"CF Prep. CFa", 0}, {"PFL Mic", 0}, {"GPI", 0}, {"OffAir", 0}}) {
        const int at = Find(nodes, text);
        ASSERT_GE(at, 0) << text;
        EXPECT_EQ(nodes[static_cast<std::size_t>(at)].Device, device) << text;
    }
    for (const auto& n : nodes)
        if (n.Parent == -1 && n.Text != "None") {
            EXPECT_TRUE(n.IsGroup()) << n.Text;
        }
}

struct FilterCase {
    int filter;
    std::vector<std::string> system;
    bool off, cleanFeed, pfl, rotary, globalLogic;
};

TEST_F(LogicTree, GroupFilterDecidesOptionalNodes)
{
    const FilterCase cases[] = {
        {0x01, {"PFL On", "OffAir", "Voice", "PGM1", "Solo", "Solo Inplace", "Timer Running", "Timer Reset"},
         true, true, true, true, true},
        {0x04, {"PFL On", "Pulse 1", "Pulse 2", "Pulse 3", "OffAir", "Voice", "PGM1", "Solo", "Solo Inplace",
                "Timer Running", "Timer Reset", "Power Fail", "Power Fail Slave"},
         false, true, true, true, true},
        {0x80, {"OffAir", "Voice", "PGM1", "Solo", "Solo Inplace"}, false, false, false, false, true},
        {0x84, {"OffAir", "Voice", "PGM1", "Solo", "Solo Inplace", "Power Fail", "Power Fail Slave"},
         false, false, false, false, true},
        // The Global Logics page (mask exactly 8) leaves out the global logics.
        {0x08, {"PFL On", "OffAir", "Voice", "PGM1", "Solo", "Solo Inplace", "Timer Running", "Timer Reset"},
         false, true, true, true, false},
        {0x28, {"PFL On", "OffAir", "Voice", "PGM1", "Solo", "Solo Inplace", "Timer Running", "Timer Reset"},
         false, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        const SourceNodes nodes = Build(c.filter);
        std::vector<std::string> system;
        for (const auto& item : Group(nodes, "System Functions"))
            system.push_back(item.first);
        EXPECT_EQ(system, c.system);
        EXPECT_EQ(Find(nodes, "OFF") == 1, c.off);
        if (c.off) {
            EXPECT_EQ(nodes[1].ID, 0x3FFF);
        }
        EXPECT_EQ(Find(nodes, "Clean Feed") >= 0, c.cleanFeed);
        EXPECT_EQ(Find(nodes, "PFL Fader") >= 0 && Find(nodes, "PFL Channel") >= 0, c.pfl);
        EXPECT_EQ(Find(nodes, "Rotary Select") >= 0, c.rotary);
        EXPECT_EQ(Find(nodes, "Global Logic") >= 0, c.globalLogic);
        // The Power Fail Slave signal's stored name differs; the tree spells it right.
        if (c.filter & 4) {
            EXPECT_EQ(nodes[static_cast<std::size_t>(Find(nodes, "Power Fail Slave"))].ID, 1298);
        }
    }
}

TEST_F(LogicTree, AllDevicesModeHeadsEachDeviceWithItsNodeOnlyWhenThereAreSeveral)
{
    // One device: the categories stay at the root.
    EXPECT_EQ(Find(Build(8), "Studio A"), -1);
    EXPECT_GE(Find(Build(8), "GPI", -1), 0);

    project.AddDevice();
    FillStudio(*project.Device(1), "Studio B");
    const SourceNodes nodes = Build(8);
    const int a = Find(nodes, "Studio A", -1);
    const int b = Find(nodes, "Studio B", -1);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_EQ(nodes[static_cast<std::size_t>(a)].ID, 0);
    EXPECT_EQ(nodes[static_cast<std::size_t>(a)].Device, 0);
    EXPECT_EQ(nodes[static_cast<std::size_t>(b)].Device, 1);
    EXPECT_EQ(Find(nodes, "GPI", -1), -1);
    const int gpiB = Find(nodes, "GPI", b);
    ASSERT_GE(gpiB, 0);
    EXPECT_EQ(nodes[static_cast<std::size_t>(gpiB)].Device, 1);
    const int keyB = Find(nodes, "KEY1 Talk", Find(nodes, "KX730-010 #C1", b));
    ASSERT_GE(keyB, 0);
    EXPECT_EQ(nodes[static_cast<std::size_t>(keyB)].Device, 1);
    // A fixed-model device offers nothing but keeps its place in the count.
    auto header = project.Device(1)->GetHeader();
    header[dh::DummyDevModel] = 27;
    project.Device(1)->SetHeader(header, false);
    EXPECT_EQ(Find(Build(8), "Studio B"), -1);
    EXPECT_GE(Find(Build(8), "Studio A", -1), 0);
}

TEST_F(LogicTree, HiddenSourcesKeepTheirNumbers)
{
    SetGlobalLogicName(project, 4, "Door");
    const SourceNodes nodes = Build(0, true);
    EXPECT_EQ(Group(nodes, "Logic Functions"), (std::vector<Item>{{"01 | LF Mic On", 931}, {"03 | LF Third", 933}}));
    EXPECT_EQ(Group(nodes, "Clean Feed"), (std::vector<Item>{{"CF Prep. CFa", 1416}, {"CF Talk CFa", 1446},
                                                             {"CF Off Air CFa", 1476}, {"CF Output Select CFa", 1506}}));
    // Only a global logic with a name of its own stays.
    EXPECT_EQ(Group(nodes, "Global Logic"), (std::vector<Item>{{"GL5 Door", 1085}}));
    // Slot 1 (card position 1): GPI 1 has no name and is left out.
    const auto gpis = Group(nodes, "GPI");
    ASSERT_EQ(gpis.size(), 3u);
    EXPECT_EQ(gpis[0].second, 389);
    EXPECT_EQ(gpis[1].second, 391);
    EXPECT_EQ(gpis[2].second, 392);
    // Unhidden, every GPI is there.
    EXPECT_EQ(Group(Build(0), "GPI").size(), 4u);
}

// The window names a GPIO card's GPIs by the labels at every fourth entry from byte 4, whatever
// the pull-ups in its byte 2.
TEST_F(LogicTree, GPIOCardPullUpsDoNotMisnameItsGPIs)
{
    dev->SetSetupData(1, {});
    for (const std::uint8_t pullUps : {0x00, 0x01, 0x0F}) {
        Bytes card = CardRec(311, {}, {"P", "-", "-", "-", "Q"});
        card[2] = pullUps;
        dev->SetSetupData(12, card);
        const auto name = [](int entry, const std::string& gpi) {
            return GetChannelName(MakeChannelID(12, entry, 0x40), 311, false) + "." + gpi;
        };
        EXPECT_EQ(Group(Build(0), "GPI"), (std::vector<Item>{{name(0, "P"), 425}, {name(4, "Q"), 426}})) << int(pullUps);
    }
}

TEST_F(LogicTree, GPIsOfTheGPIOCardsAndDamagedCounts)
{
    dev->SetSetupData(1, {});
    // Card 122 has only GPIs 0 and 2; card 311 takes every fourth entry; a card whose count
    // promises more entries than it holds offers only those it holds.
    dev->SetSetupData(3, CardRec(122, {}, {"A", "b", "c", "d", "E", "f", "g", "h"}));
    dev->SetSetupData(12, CardRec(311, {}, {"P", "-", "-", "-", "Q", "-", "-", "-", "R", "-", "-", "-", "S"}));
    const SourceNodes nodes = Build(0);
    const auto name = [](int slot, int entry, int type, const std::string& gpi) {
        return GetChannelName(MakeChannelID(slot, entry, 0x40), type, false) + "." + gpi;
    };
    EXPECT_EQ(Group(nodes, "GPI"), (std::vector<Item>{{name(3, 0, 122, "A"), 397},
                                                      {name(3, 4, 122, "E"), 399},
                                                      {name(12, 0, 311, "P"), 425},
                                                      {name(12, 4, 311, "Q"), 426},
                                                      {name(12, 8, 311, "R"), 427},
                                                      {name(12, 12, 311, "S"), 428}}));

    // An image whose card record promises more GPIO entries than it holds.
    Bytes damaged = CardRec(111, {}, {"Only", "x", "Cut"});
    damaged[3] = 40;
    damaged.resize(damaged.size() - 8);
    project.AddDevice();
    ASSERT_TRUE(project.Device(1)->SetAllData(makeImage({{14, damaged}}, {})));
    EXPECT_EQ(Group(BuildLogicNodes(project, 1, 0, false), "GPI"), (std::vector<Item>{{name(14, 0, 111, "Only"), 433}}));
}

TEST_F(LogicTree, MadiErrorItemsBelongToTheDeviceOfTheirCards)
{
    project.AddDevice();
    FillStudio(*project.Device(1), "Studio B");
    dev->SetSetupData(9, Bytes{0x03, 0x50, 0, 0, 0, 2, 0, 0});
    project.Device(1)->SetSetupData(19, Bytes{0x03, 0x50, 0, 0, 0, 3, 0, 0});
    // A DSP card of variant 1 marks nothing.
    project.Device(1)->SetSetupData(28, Bytes{0x03, 0x50, 0, 0, 0, 1, 0, 0});
    const SourceNodes nodes = Build(8);
    const auto madi = [&](const char* device) {
        std::vector<std::string> out;
        for (const auto& [text, id] : Group(nodes, "System Functions", Find(nodes, device, -1)))
            if (id >= 1290 && id <= 1295)
                out.push_back(text);
        return out;
    };
    EXPECT_EQ(madi("Studio A"), (std::vector<std::string>{"Slot 10 MADI 1 Error"}));
    EXPECT_EQ(madi("Studio B"), (std::vector<std::string>{"Slot 20 MADI 1 Error", "Slot 20 MADI 2 Error"}));
}

TEST_F(LogicTree, RotarySelectsStopAt150)
{
    Bytes lists;
    for (int l = 0; l < 10; ++l) {
        Bytes list = SourceListRec("L" + std::to_string(l), l, {});
        list[17] = 20;
        for (int e = 0; e < 20; ++e) {
            Bytes entry(12, 0);
            PutText(entry, 4, "E" + std::to_string(e));
            list.insert(list.end(), entry.begin(), entry.end());
        }
        lists.insert(lists.end(), list.begin(), list.end());
    }
    dev->SetData(stSourceList, lists);
    const auto items = Group(Build(0), "Rotary Select");
    ASSERT_EQ(items.size(), 150u);
    EXPECT_EQ(items.front(), (Item{"RS L0.E0", 1536}));
    EXPECT_EQ(items.back(), (Item{"RS L7.E9", 1685}));
}

TEST_F(LogicTree, KeyModulesInTypeOrderAndLabelsOnlyFromTheirField)
{
    // A label filling all 30 characters of its field, followed by the kind byte and logic words.
    Bytes full = KeyRec(2, std::string(30, 'W'), 0, 0x4142);
    full[31] = 'x';
    full[32] = 'y';
    full[33] = 63;
    dev->SetSetupData(101, ModuleRec(26, 3, {full}));
    dev->SetSetupData(102, ModuleRec(12, 1, {KeyRec(56, "Last", 4)}));
    const SourceNodes nodes = Build(0);
    const auto roots = RootTexts(nodes);
    const auto at = [&](const char* text) { return std::find(roots.begin(), roots.end(), text) - roots.begin(); };
    EXPECT_LT(at("KX730-010 #C1"), at("KX730-012 #C2"));
    EXPECT_LT(at("KX730-012 #C2"), at("KX730-026 #C4"));
    EXPECT_EQ(Group(nodes, "KX730-012 #C2"), (std::vector<Item>{{"KEY57 Last", 1 + 32 + 56}}));
    EXPECT_EQ(Group(nodes, "KX730-026 #C4"), (std::vector<Item>{{"KEY3 " + std::string(30, 'W'), 1 + 96 + 2}}));
}

TEST_F(LogicTree, GlobalResourceSubscribersOfProjectDevicesOnly)
{
    AddGlobalResource();
    int pumped = 0;
    const SourceNodes nodes = BuildLogicNodes(project, 0, 0, false, [&] { ++pumped; });
    const int group = Find(nodes, "Global Resources", -1);
    ASSERT_GE(group, 0);
    EXPECT_EQ(Children(nodes, group), (std::vector<Item>{{"Studio.Studio A", 1836}}));
    const auto& sub = nodes[static_cast<std::size_t>(group) + 1];
    EXPECT_EQ(sub.Overlay, 2);
    EXPECT_EQ(sub.Device, -1);
    EXPECT_EQ(pumped, 1);
}

TEST_F(LogicTree, CaptionsFollowTheDeviceAndMode)
{
    LogicSourceTree tree;
    EXPECT_FALSE(tree.BuildSourceTree(nullptr, 0, false));
    tree.BuildSourceTree(&project, -1, false);
    EXPECT_EQ(tree.Caption(), "Logic Sources in (no Device)");
    EXPECT_TRUE(tree.Nodes().empty());
    tree.BuildSourceTree(&project, 0, false);
    EXPECT_EQ(tree.Caption(), "Logic Sources in Studio A");
    EXPECT_FALSE(tree.Nodes().empty());
    project.SetName("Radio");
    tree.FGroupFilter = 8;
    tree.BuildSourceTree(&project, 0, false);
    EXPECT_EQ(tree.Caption(), "Logic Sources in Radio");
    tree.FGroupFilter = 0;
    auto header = dev->GetHeader();
    header[dh::DummyDevModel] = 27;
    dev->SetHeader(header, false);
    EXPECT_TRUE(tree.BuildSourceTree(&project, 0, false));
    EXPECT_EQ(tree.Caption(), "Logic Sources in (not available)");
    EXPECT_TRUE(tree.Nodes().empty());
    EXPECT_EQ(tree.FBuiltDevice, -1);
}

TEST_F(LogicTree, RebuildsOnlyForANewDeviceFilterOrChangedSources)
{
    project.AddDevice();
    FillStudio(*project.Device(1), "Studio B");
    LogicSourceTree tree;
    ASSERT_TRUE(tree.BuildSourceTree(&project, 0, false));
    const int key = Find(tree.Nodes(), "KEY4 Cue");
    tree.Select(key);
    tree.SetConditionIndex(2);

    // Unchanged inputs, and a new hide preference alone, leave the tree as it is.
    EXPECT_FALSE(tree.BuildSourceTree(&project, 0, true));
    EXPECT_EQ(tree.Selected(), key);

    dev->FLogicSourcesChanged = true;
    dev->SetData(stLogicDelay, Concat({DelayRec("Del"), DelayRec("New")}));
    ASSERT_TRUE(tree.BuildSourceTree(&project, 0, false));
    EXPECT_FALSE(dev->FLogicSourcesChanged);
    EXPECT_GE(Find(tree.Nodes(), "LD New"), 0);
    // The selection comes back by ID; the condition stays.
    ASSERT_GE(tree.Selected(), 0);
    EXPECT_EQ(tree.SelectedNode()->Text, "KEY4 Cue");
    EXPECT_EQ(tree.ComposedRef(), 4 | 0x4000);

    EXPECT_TRUE(tree.BuildSourceTree(&project, 1, false));
    EXPECT_EQ(tree.Caption(), "Logic Sources in Studio B");
    tree.FGroupFilter = 0x80;
    EXPECT_TRUE(tree.BuildSourceTree(&project, 1, false));
    EXPECT_FALSE(tree.BuildSourceTree(&project, 1, false));

    // All devices: a flag of any device rebuilds.
    tree.FGroupFilter = 8;
    EXPECT_TRUE(tree.BuildSourceTree(&project, 1, false));
    EXPECT_FALSE(tree.BuildSourceTree(&project, 1, false));
    dev->FLogicSourcesChanged = true;
    EXPECT_TRUE(tree.BuildSourceTree(&project, 1, false));
}

// Among all devices, a rebuild keeps the nodes of devices that did not change; whatever changed,
// the tree shows what a build from nothing shows.
TEST_F(LogicTree, AllDevicesRebuildShowsWhatAFreshBuildShows)
{
    struct Case {
        const char* change;
        int filter;
        std::function<void(TProject&, LogicSourceTree&)> apply;
        std::vector<bool> keptDevices;
    };
    const auto flagged = [](int d, std::function<void(TDevice&)> edit) {
        return [d, edit](TProject& p, LogicSourceTree&) {
            edit(*p.Device(d));
            p.Device(d)->FLogicSourcesChanged = true;
        };
    };
    const Case cases[] = {
        {"a device's delays grow", 8,
         flagged(0, [](TDevice& d) { d.SetData(stLogicDelay, Concat({DelayRec("Del"), DelayRec("New")})); }),
         {false, true, true}},
        {"a channel renamed", 8, [](TProject& p, LogicSourceTree&) { SetFaderChannelName(*p.Device(1), 5, "Voice"); }, {true, false, true}},
        {"a device renamed", 8, [](TProject& p, LogicSourceTree&) { p.Device(2)->SetName("Studio Z"); }, {true, true, false}},
        {"a global logic renamed", 0x28,
         [](TProject& p, LogicSourceTree&) {
             SetGlobalLogicName(p, 4, "Door");
             p.Device(1)->FLogicSourcesChanged = true;
         },
         {false, false, false}},
        {"the device shown alone in between", 8,
         [](TProject& p, LogicSourceTree& tree) {
             TDevice& d = *p.Device(1);
             d.SetData(stLogicDelay, DelayRec("Alone"));
             d.FLogicSourcesChanged = true;
             const int filter = tree.FGroupFilter;
             tree.FGroupFilter = 0;
             tree.BuildSourceTree(&p, 1, false);
             tree.FGroupFilter = filter;
         },
         {true, false, true}},
        {"an unchanged device shown alone in between", 8,
         [](TProject& p, LogicSourceTree& tree) {
             const int filter = tree.FGroupFilter;
             tree.FGroupFilter = 0;
             tree.BuildSourceTree(&p, 2, false);
             tree.FGroupFilter = filter;
         },
         {true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        TProject p;
        for (const char* name : {"Studio A", "Studio B", "Studio C"})
            FillStudio(*p.Device(p.AddDevice()), name);
        LogicSourceTree tree;
        tree.FGroupFilter = c.filter;
        ASSERT_TRUE(tree.BuildSourceTree(&p, 0, false));
        const std::vector<SourceBranch> before = tree.Branches();
        ASSERT_EQ(before.size(), 3U);

        c.apply(p, tree);
        tree.BuildSourceTree(&p, 1, false);
        const SourceNodes fresh = BuildLogicNodes(p, 1, c.filter, false);
        ASSERT_EQ(tree.Nodes().size(), fresh.size());
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            const SourceNode& n = tree.Nodes()[i];
            EXPECT_EQ(std::tie(n.Text, n.ID, n.Device, n.Overlay, n.Parent),
                      std::tie(fresh[i].Text, fresh[i].ID, fresh[i].Device, fresh[i].Overlay, fresh[i].Parent))
                << "node " << i;
        }
        const std::vector<SourceBranch>& after = tree.Branches();
        ASSERT_EQ(after.size(), 3U);
        for (std::size_t d = 0; d < 3; ++d) {
            EXPECT_EQ(after[d].Serial == before[d].Serial, c.keptDevices[d]) << "device " << d;
            EXPECT_EQ(tree.Nodes()[static_cast<std::size_t>(after[d].First)].Device, static_cast<int>(d));
        }
    }
}

TEST_F(LogicTree, ACallDuringABuildReturnsAtOnce)
{
    AddGlobalResource();
    LogicSourceTree tree;
    bool inner = true;
    dev->FLogicSourcesChanged = true;
    ASSERT_TRUE(tree.BuildSourceTree(&project, 0, false, [&] { inner = tree.BuildSourceTree(&project, 0, false); }));
    EXPECT_FALSE(inner);
    EXPECT_FALSE(tree.FBuilding);
}

TEST_F(LogicTree, SelectionByReferenceAndCondition)
{
    project.AddDevice();
    FillStudio(*project.Device(1), "Studio B");
    LogicSourceTree tree;
    tree.FGroupFilter = 8;
    tree.BuildSourceTree(&project, 0, false);
    EXPECT_FALSE(tree.AssignEnabled());

    // Reference 0 selects "None" with condition "OFF".
    ASSERT_TRUE(tree.SelectLogicSource(0));
    EXPECT_EQ(tree.SelectedNode()->Text, "None");
    EXPECT_EQ(LogicConditionTexts[static_cast<std::size_t>(tree.ConditionIndex())], std::string("OFF"));
    EXPECT_TRUE(tree.AssignEnabled());

    ASSERT_TRUE(tree.SelectLogicSource(0xC000 | 933));
    EXPECT_EQ(tree.SelectedNode()->Text, "03 | LF Third");
    EXPECT_EQ(tree.SelectedNode()->Device, 0);
    EXPECT_EQ(tree.ConditionIndex(), 0);
    EXPECT_EQ(tree.ComposedRef(), 0xC000 | 933);

    ASSERT_TRUE(tree.SelectLogicSource(0x8000 | 933, 1));
    EXPECT_EQ(tree.SelectedNode()->Device, 1);
    EXPECT_EQ(tree.ConditionIndex(), 3);

    // No match: selection and condition stay.
    EXPECT_FALSE(tree.SelectLogicSource(0x4000 | 999));
    EXPECT_EQ(tree.SelectedNode()->Device, 1);
    EXPECT_EQ(tree.ConditionIndex(), 3);

    // Group nodes cannot be assigned.
    tree.Select(Find(tree.Nodes(), "GPI"));
    EXPECT_FALSE(tree.AssignEnabled());
}

} // namespace
} // namespace kvr::editors::test
