#include <gtest/gtest.h>

#include <cstring>

#include "editors/sources/audiosourcetree.h"
#include "model/channelname.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

class AudioTree : public SourceProject {
protected:
    SourceNodes Build(int filter, bool hide = false) { return BuildAudioNodes(project, 0, filter, hide); }
    static std::string In(int id, const std::string& label) { return "IN " + GetChannelName(id, 111, false) + " " + label; }
    void SetPot(int pot, const char* name)
    {
        std::array<std::uint8_t, kPotNameWidth> bytes{};
        std::memcpy(bytes.data(), name, std::strlen(name));
        SetPotName(*dev, pot, bytes);
    }
};

TEST_F(AudioTree, NodesOfOneDeviceInFixedOrder)
{
    const SourceNodes nodes = Build(0);
    EXPECT_EQ(RootTexts(nodes), (std::vector<std::string>{"None", "Input", "Mixing", "PreFader", "Clean Feed",
                                                         "Monitor Functions", "Fixed Processing", "Output Functions",
                                                         "Super Output Functions"}));
    // A stereo input gives a pair from the same channel name and label; outputs are never listed.
    EXPECT_EQ(Group(nodes, "Input"), (std::vector<Item>{{In(0x2300, "Mic") + " L", 0x2300},
                                                        {In(0x2300, "Mic") + " R", 0x2301},
                                                        {In(0x0304, "Line"), 0x0304}}));
    // Program and AUX buses count their pairs from 0; mono buses carry 0x2000 too.
    EXPECT_EQ(Group(nodes, "Mixing"), (std::vector<Item>{{"Main L", 0x6002}, {"Main R", 0x6003}, {"Sub L", 0x6004},
                                                         {"Sub R", 0x6005}, {"Mono Aux1", 0x6080}}));
    EXPECT_EQ(Group(nodes, "PreFader"), (std::vector<Item>{{"Pre Fader1 L", 18944}, {"Pre Fader1 R", 18945},
                                                           {"Pre Fader2 L", 18946}, {"Pre Fader2 R", 18947}}));
    EXPECT_EQ(Group(nodes, "Clean Feed"),
              (std::vector<Item>{{"CFa L", 17408 | 0x2000}, {"CFa R", 17409 | 0x2000}, {"", 17410}}));
    EXPECT_TRUE(Group(nodes, "Monitor Functions").empty());
    EXPECT_EQ(Group(nodes, "Fixed Processing"),
              (std::vector<Item>{{"FP Proc L", 18432 | 0x2000}, {"FP Proc R", 18433 | 0x2000}, {"FP Mono", 18434}}));
    EXPECT_EQ(Group(nodes, "Output Functions"), (std::vector<Item>{{"01 | OF Out1", 17152}}));
    EXPECT_EQ(Group(nodes, "Super Output Functions"), (std::vector<Item>{{"SO Sof1", 17664}}));
}

TEST_F(AudioTree, HiddenSourcesLeaveNoGapInOtherNumbers)
{
    dev->SetData(stBus, Concat({BusRec("", true), BusRec("Sub", true), BusRec("Aux1", false)}));
    const SourceNodes nodes = Build(0, true);
    EXPECT_EQ(Group(nodes, "Mixing"), (std::vector<Item>{{"Sub L", 0x6004}, {"Sub R", 0x6005}, {"Mono Aux1", 0x6080}}));
    EXPECT_EQ(Group(nodes, "Clean Feed"), (std::vector<Item>{{"CFa L", 17408 | 0x2000}, {"CFa R", 17409 | 0x2000}}));
}

TEST_F(AudioTree, DSPCardWithMoreThan255Channels)
{
    // The channel count is the 9-bit little-endian word, not byte 2.
    Bytes dsp = {0x03, 0x50, 300 & 0xFF, 300 >> 8, 0, 2, 0, 0};
    for (int i = 0; i < 300; ++i) {
        Bytes entry(24, 0);
        PutText(entry, 0, "D" + std::to_string(i));
        PutWord(entry, 16, static_cast<std::uint16_t>(0x0A00 + (i % 64)));
        dsp.insert(dsp.end(), entry.begin(), entry.end());
    }
    dev->SetSetupData(2, {});
    ASSERT_GT(dev->SetSetupData(9, dsp), 0);
    const auto inputs = Group(Build(0), "Input");
    ASSERT_EQ(inputs.size(), 300u);
    EXPECT_EQ(inputs.back().first, "IN " + GetChannelName(0x0A00 + 299 % 64, 848, false) + " D299");
}

struct MonitorCase {
    int filter;
    std::vector<Item> items;
};

TEST_F(AudioTree, FilterBitsAddMonitorFunctionsAndOptionalGroups)
{
    const MonitorCase cases[] = {
        {0x01, {{"PFL L", 0x6000}, {"PFL R", 0x6001}}},
        {0x10, {{"Rotary Monitor Select L", 0x62C0}, {"Rotary Monitor Select R", 0x62C1}}},
        {0x11, {{"PFL L", 0x6000}, {"PFL R", 0x6001}, {"Rotary Monitor Select L", 0x62C0},
                {"Rotary Monitor Select R", 0x62C1}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Group(Build(c.filter), "Monitor Functions"), c.items) << c.filter;

    const auto buses = Group(Build(0x04), "Monitor Functions");
    ASSERT_EQ(buses.size(), 12u);
    EXPECT_EQ(buses[0], (Item{"Monitor Bus1 L", 0x6200}));
    EXPECT_EQ(buses[11], (Item{"Monitor Bus6 R", 0x620B}));
    const auto selectors = Group(Build(0x02), "Monitor Functions");
    ASSERT_EQ(selectors.size(), 60u);
    EXPECT_EQ(selectors[59], (Item{"Rot. Monitor Selector 30 R", 0x62BB}));

    const SourceNodes all = Build(0xE0);
    const auto routing = Group(all, "Routing");
    ASSERT_EQ(routing.size(), 1536u);
    EXPECT_EQ(routing.front(), (Item{"Routing1 L", 19200 | 0x2000}));
    EXPECT_EQ(routing.back(), (Item{"Routing768 R", 20735 | 0x2000}));
    const auto midi = Group(all, "MIDI");
    ASSERT_EQ(midi.size(), 16u);
    EXPECT_EQ(midi.back(), (Item{"MIDI 16", 17935}));
    EXPECT_EQ(Group(all, "Master"), (std::vector<Item>{{"MASTER Main", 18176}, {"MASTER Sub", 18177}, {"MASTER Aux1", 18240}}));
    const auto vca = Group(all, "VCA Fader");
    ASSERT_EQ(vca.size(), 8u);
    EXPECT_EQ(vca.back(), (Item{"VCA Fader 8", 18311}));
    EXPECT_EQ(RootTexts(all).back(), "VCA Fader");
}

TEST_F(AudioTree, PotListNamesItsModulesOnlyWhereTheyCarryThePot)
{
    dev->SetSetupData(100, ModuleRec(10, 0, {}));
    SetPot(1, "Mon");
    SetPot(3, "Third"); // the module type carries 2 pots only
    SetPot(15, "Loose"); // no module with block 1
    SetGlobalPotName(project, 2, "Remote");
    const auto pots = BuildPotList(project, 0);
    std::vector<std::pair<std::string, int>> got;
    for (const auto& p : pots)
        got.push_back({p.Text, p.Pot});
    std::vector<std::pair<std::string, int>> want = {
        {"None", 0}, {"Mon (#C1)", 1}, {"Third", 3}, {"Loose", 15}, {"Balance 1 L", 121}, {"Balance 1 R", 122},
        {"Balance 2 L", 123}, {"Balance 2 R", 124}, {"CFa", 125}, {"", 126}, {"Global Pot. 1", 155}, {"Remote", 156}};
    for (int g = 3; g <= 20; ++g)
        want.push_back({"Global Pot. " + std::to_string(g), 154 + g});
    EXPECT_EQ(got, want);
}

TEST_F(AudioTree, CaptionPotListAndRebuildDecision)
{
    AudioSourceTree tree;
    tree.FDeviceIndex = 0;
    ASSERT_TRUE(tree.BuildSourceTree(&project, false));
    EXPECT_EQ(tree.Caption(), "Audio Sources in Studio A");
    tree.SelectAudioSource(0x6003);
    tree.SetPotIndex(3);

    // Unchanged: the tree stays, the pot list is rebuilt and keeps its valid index.
    SetPot(7, "Fresh");
    dev->FAudioSourcesChanged = false;
    EXPECT_FALSE(tree.BuildSourceTree(&project, false));
    EXPECT_EQ(tree.SelectedNode()->Text, "Main R");
    EXPECT_EQ(tree.Pots()[1].Text, "Fresh");
    EXPECT_EQ(tree.PotIndex(), 3);

    dev->FAudioSourcesChanged = true;
    ASSERT_TRUE(tree.BuildSourceTree(&project, false));
    EXPECT_FALSE(dev->FAudioSourcesChanged);
    EXPECT_EQ(tree.SelectedNode()->Text, "Main R");
    tree.FGroupFilter = 1;
    EXPECT_TRUE(tree.BuildSourceTree(&project, false));

    // An index past the new list falls back to "None".
    tree.SetPotIndex(static_cast<int>(tree.Pots().size()) - 1);
    project.Device(0)->SetData(stCleanFeed, {});
    SetHeaderBytes(*dev, {{dh::CleanFeedCount, 0}});
    tree.BuildSourceTree(&project, false);
    EXPECT_EQ(tree.PotIndex(), 0);
}

TEST_F(AudioTree, ComingBackFromNoDeviceOrAFixedModelDeviceRebuilds)
{
    project.AddDevice();
    auto header = project.Device(1)->GetHeader();
    header[dh::DummyDevModel] = 27;
    project.Device(1)->SetHeader(header, false);
    AudioSourceTree tree;
    tree.FDeviceIndex = 0;
    tree.BuildSourceTree(&project, false);

    tree.FDeviceIndex = -1;
    EXPECT_TRUE(tree.BuildSourceTree(&project, false));
    EXPECT_EQ(tree.Caption(), "Audio Sources in (no Device)");
    EXPECT_TRUE(tree.Nodes().empty());
    tree.FDeviceIndex = 0;
    EXPECT_TRUE(tree.BuildSourceTree(&project, false));
    EXPECT_FALSE(tree.Nodes().empty());

    tree.FDeviceIndex = 1;
    EXPECT_TRUE(tree.BuildSourceTree(&project, false));
    EXPECT_EQ(tree.Caption(), "Audio Sources in (not available)");
    EXPECT_TRUE(tree.Nodes().empty());
    tree.FDeviceIndex = 0;
    EXPECT_TRUE(tree.BuildSourceTree(&project, false));
    EXPECT_FALSE(tree.Nodes().empty());
}

TEST_F(AudioTree, SelectionIgnoresStereoAndPhaseBits)
{
    AudioSourceTree tree;
    tree.FDeviceIndex = 0;
    tree.BuildSourceTree(&project, false);
    ASSERT_TRUE(tree.SelectAudioSource(0x8000 | 0x4003));
    EXPECT_EQ(tree.SelectedNode()->Text, "Main R");
    EXPECT_TRUE(tree.PhaseReverse());
    // Phase reverse counts only while its panel shows.
    EXPECT_EQ(tree.ComposedRef(true), 0x8000 | 0x6003);
    EXPECT_EQ(tree.ComposedRef(false), 0x6003);

    EXPECT_FALSE(tree.SelectAudioSource(0x1234));
    EXPECT_EQ(tree.SelectedNode()->Text, "Main R");
    EXPECT_TRUE(tree.PhaseReverse());

    ASSERT_TRUE(tree.SelectAudioSource(0));
    EXPECT_EQ(tree.SelectedNode()->Text, "None");
    EXPECT_FALSE(tree.PhaseReverse());
    tree.SetPhaseReverse(true);
    EXPECT_EQ(tree.ComposedRef(true), 0x8000);
    EXPECT_EQ(tree.ComposedRef(false), 0);

    tree.Select(Find(tree.Nodes(), "Mixing"));
    EXPECT_FALSE(tree.AssignEnabled());

    tree.SelectPot(156);
    EXPECT_EQ(tree.Pots()[static_cast<std::size_t>(tree.PotIndex())].Pot, 156);
    tree.SelectPot(99);
    EXPECT_EQ(tree.PotIndex(), 0);
}

} // namespace
} // namespace kvr::editors::test
