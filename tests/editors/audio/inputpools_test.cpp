#include <gtest/gtest.h>

#include "editors/audio/inputpools.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/smallrecordaccess.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

class PoolsAndPots : public ::testing::Test {
public:
    PoolsAndPots()
    {
        project.AddDevice();
        dev = project.Device(0);
        dev->SetData(stPoolNames, {}); // a new device names pool 0
    }
    std::vector<std::pair<int, std::string>> Lines()
    {
        std::vector<std::pair<int, std::string>> lines;
        for (const auto& l : InputPools(*dev).Lines())
            lines.push_back({l.Pool, l.Name});
        return lines;
    }
    const PotRow& Row(const std::vector<PotRow>& rows, int pot)
    {
        for (const auto& r : rows)
            if (r.Pot == pot)
                return r;
        ADD_FAILURE() << pot;
        return rows.front();
    }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(PoolsAndPots, AddTakesTheLowestFreeNumber)
{
    InputPools pools(*dev);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(pools.Add(), "");
    pools.Remove(1);
    EXPECT_EQ(Lines(), (std::vector<std::pair<int, std::string>>{{0, "Pool 1"}, {2, "Pool 3"}}));
    pools.Add();
    EXPECT_EQ(Lines(), (std::vector<std::pair<int, std::string>>{{0, "Pool 1"}, {1, "Pool 2"}, {2, "Pool 3"}}));
    // Renaming by pool number, not by line.
    pools.Remove(1);
    pools.Rename(2, "Remote");
    EXPECT_EQ(Lines(), (std::vector<std::pair<int, std::string>>{{0, "Pool 1"}, {2, "Remote"}}));
}

TEST_F(PoolsAndPots, FifteenPoolsRefuseAnother)
{
    InputPools pools(*dev);
    for (int k = 0; k < 15; ++k)
        ASSERT_EQ(pools.Add(), "");
    const auto before = dev->GetAllData();
    EXPECT_EQ(pools.Add(), "Cannot add more pools!");
    EXPECT_EQ(dev->GetAllData(), before);
    EXPECT_EQ(Lines().back(), (std::pair<int, std::string>{14, "Pool 15"}));
}

TEST_F(PoolsAndPots, RemovingAPoolTakesItsChannelsOut)
{
    SetHeaderBytes(*dev, {{dh::FaderChannelCount, 1}});
    Bytes channel = FaderRec(5, "Mic");
    channel[18] = 3; // pool 2
    dev->SetData(stFCH, channel);
    InputPools pools(*dev);
    pools.Rename(2, "Studio and more");
    EXPECT_EQ(Lines(), (std::vector<std::pair<int, std::string>>{{2, "Studio "}}));
    pools.Remove(2);
    TFaderChannel c;
    GetFaderChannel(*dev, 5, c);
    EXPECT_EQ(c.PoolFlags & kFCHPoolMask, 0);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(PoolsAndPots, WithoutModulesEveryPotIsFree)
{
    Potentiometers pots(*dev);
    std::vector<std::string> log;
    const auto ext = pots.ExternalPots(&log);
    ASSERT_EQ(ext.size(), 1u);
    EXPECT_EQ(ext[0].Text, "None");
    EXPECT_TRUE(log.empty());
    const auto rows = pots.Rows(ext);
    ASSERT_EQ(rows.size(), 122u);
    EXPECT_EQ(rows[0].Module, "None");
    EXPECT_EQ(rows[0].ModuleID, "None");
    EXPECT_EQ(rows[0].Label, "Pot. 1");
    EXPECT_EQ(rows[0].External, "None");
    EXPECT_EQ(rows[0].State, -1);
    EXPECT_EQ(rows[119].Pot, 120);
    EXPECT_EQ(rows[120].Pot, 121);
    EXPECT_EQ(rows[120].Label, "Balance 1");
    EXPECT_EQ(rows[121].Label, "Balance 2");
    EXPECT_EQ(rows[121].ModuleID, "None");
    EXPECT_EQ(rows[121].State, 0);
}

TEST_F(PoolsAndPots, ACentralModuleCarriesBlockThree)
{
    dev->SetSetupData(100, ModuleRec(12, 3, {}));
    Potentiometers pots(*dev);
    pots.SetName(33, "Talk");
    const auto rows = pots.Rows(pots.ExternalPots());
    const std::vector<std::string> labels{"Monitor", "Headphone", "Talk", "Level 2"};
    for (int k = 0; k < 4; ++k) {
        const PotRow& r = Row(rows, 31 + k);
        EXPECT_EQ(r.Module, "KX730-012");
        EXPECT_EQ(r.ModuleID, "4");
        EXPECT_EQ(r.State, 3);
        EXPECT_EQ(r.Label, labels[static_cast<std::size_t>(k)]);
        EXPECT_EQ(r.External, "");
    }
    for (int pot = 35; pot <= 40; ++pot) {
        EXPECT_EQ(Row(rows, pot).Module, "None") << pot;
        EXPECT_EQ(Row(rows, pot).State, -1) << pot;
    }
}

// A KX730-122 card: six audio channels, then eight GPIO entries of which the third and the
// seventh are its analogue control inputs, where external pots are wired.
Bytes Card122(const std::string& aci1, const std::string& aci2)
{
    return CardRec(122,
                   {{"Mic 1", 0x0500}, {"Mic 2", 0x0501}, {"Mic 3", 0x0502}, {"Mic 4", 0x0503}, {"Phones 1", 0x0580},
                    {"Phones 2", 0x0581}},
                   {"GPI 1", "GPO 1", aci1, "GPO 2", "GPI 2", "GPO 3", aci2, "GPO 4"});
}

TEST_F(PoolsAndPots, ExternalPotsOfA122Card)
{
    dev->SetSetupData(4, Card122("Fader A", "Fader B"));
    Potentiometers pots(*dev);
    std::vector<std::string> log;
    const auto ext = pots.ExternalPots(&log);
    ASSERT_EQ(ext.size(), 3u);
    EXPECT_EQ(ext[1].Text, "Fader A");
    EXPECT_EQ(ext[1].Slot, 4);
    EXPECT_EQ(ext[1].GPI, 2);
    EXPECT_EQ(ext[2].Text, "Fader B");
    EXPECT_EQ(ext[2].GPI, 6);
    EXPECT_EQ(log, (std::vector<std::string>{"GPIPotTable: Added Slot 5, GPI3", "GPIPotTable: Added Slot 5, GPI7"}));

    pots.SetExternal(12, ext[2]);
    EXPECT_EQ(Row(pots.Rows(ext), 12).External, "Fader B");
    EXPECT_EQ(pots.ExternalIndex(12, ext), 2);
    // "None" removes the assignment.
    pots.SetExternal(12, ext[0]);
    int slot = -1, gpi = -1;
    EXPECT_EQ(GetPotiAssign(*dev, 12, slot, gpi), 0);
    EXPECT_EQ(Row(pots.Rows(ext), 12).External, "None");
    // An assignment to an input no card offers shows nothing.
    SetPotiAssign(*dev, 13, 7, 2);
    EXPECT_EQ(Row(pots.Rows(ext), 13).External, "");
    EXPECT_EQ(pots.ExternalIndex(13, ext), 0);

    // Emptying the label removes the external assignment too.
    pots.SetExternal(14, ext[1]);
    pots.SetName(14, "");
    EXPECT_EQ(GetPotiAssign(*dev, 14, slot, gpi), 0);

    // An input without a label is offered by its channel text; a second card adds its two.
    dev->SetSetupData(12, Card122("", "Fader C"));
    const auto two = pots.ExternalPots();
    ASSERT_EQ(two.size(), 5u);
    EXPECT_EQ(two[3].Text, "ACI 13.2.01");
    EXPECT_EQ(two[3].Slot, 12);
    EXPECT_EQ(two[3].GPI, 2);
    EXPECT_EQ(two[4].Text, "Fader C");
}

TEST_F(PoolsAndPots, BalanceLabelsAreSharedByTheirPair)
{
    Potentiometers pots(*dev);
    pots.SetName(121, "Stereo Balance"); // cut to 10
    std::string name;
    EXPECT_EQ(GetPotName(*dev, 122, name), 1);
    EXPECT_EQ(name, "Stereo Bal");
    EXPECT_EQ(pots.Rows(pots.ExternalPots())[120].Label, "Stereo Bal");
}

} // namespace
} // namespace kvr::editors::test
