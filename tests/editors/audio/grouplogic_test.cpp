#include <gtest/gtest.h>

#include "editors/audio/grouplogic.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/project.h"
#include "model/superoutputs.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

// Three program buses and an aux; fader channels 5 "Mic" and 9 "CD".
class Groups : public ::testing::Test {
public:
    Groups()
    {
        project.AddDevice();
        dev = project.Device(0);
        SetHeaderBytes(*dev, {{dh::ProgramBusCount, 3}, {dh::AuxBusCount, 1}, {dh::FaderChannelCount, 2}});
        dev->SetData(stBus, Concat({BusRec("PGM1", true), BusRec("PGM2", true), BusRec("PGM3", true), BusRec("Aux", false)}));
        dev->SetData(stFCH, Concat({FaderRec(5, "Mic"), FaderRec(9, "CD")}));
    }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(Groups, ItemsAndTheStoredSelection)
{
    GroupLogic g(*dev);
    EXPECT_EQ(g.BusItems(), (std::vector<std::string>{"None", "PGM1", "PGM2", "PGM3"}));
    EXPECT_EQ(g.ChannelItems(), (std::vector<std::string>{"None", "Mic", "CD"}));
    SetGroupLogic(*dev, {2, 9, 7, 4, 0, 0, 0, 0});
    EXPECT_EQ(g.BusItem(0), 2);
    EXPECT_EQ(g.ChannelItem(0), 2);
    // Bus 7 does not exist, channel 4 neither: both show "None", the record keeps them.
    EXPECT_EQ(g.BusItem(1), 0);
    EXPECT_EQ(g.ChannelItem(1), 0);
    EXPECT_EQ(GetGroupLogic(*dev)[3], 4);

    SetHeaderBytes(*dev, {{dh::ProgramBusCount, 0}});
    EXPECT_EQ(g.BusItems(), (std::vector<std::string>{"None"}));
}

TEST_F(Groups, ABusBelongsToOneGroupAtMost)
{
    GroupLogic g(*dev);
    EXPECT_EQ(g.ChooseBus(0, 3), "");
    EXPECT_EQ(g.ChooseBus(1, 2), "");
    EXPECT_EQ(g.ChooseBus(1, 3), "This bus is already assigned to another group logic!");
    // The group keeps its bus, which the list shows again.
    EXPECT_EQ(GetGroupLogic(*dev)[2], 2);
    EXPECT_EQ(g.BusItem(1), 2);
    // "None" is never taken.
    EXPECT_EQ(g.ChooseBus(1, 0), "");
    EXPECT_EQ(g.ChooseBus(2, 0), "");
    // The same bus again for the same group is fine.
    EXPECT_EQ(g.ChooseBus(0, 3), "");
}

TEST_F(Groups, ChannelsAndLeavingTheTab)
{
    GroupLogic g(*dev);
    g.ChooseChannel(0, 2);
    g.ChooseChannel(1, 2); // shared between groups
    EXPECT_EQ(GetGroupLogic(*dev)[1], 9);
    EXPECT_EQ(GetGroupLogic(*dev)[3], 9);
    g.ChooseBus(1, 1);
    g.ChooseChannel(0, 0);
    EXPECT_EQ(GetGroupLogic(*dev)[1], 0);
    g.ChooseBus(2, 3); // a bus without channel
    g.Leave();
    EXPECT_EQ(GetGroupLogic(*dev), (std::array<std::uint8_t, 8>{0, 0, 1, 9, 0, 0, 0, 0}));
}

TEST_F(Groups, MuteLogicNamesAndThePFLBit)
{
    MuteLogics m(*dev);
    const auto names = m.Names();
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], GetMuteLogicName(*dev, 0));
    m.SetName(2, "Sixteen chars ok");
    m.SetName(3, "Studio");
    const auto stored = dev->GetData(stMuteLogic);
    ASSERT_GE(stored.size(), 64u);
    EXPECT_EQ(std::string(stored.begin() + 32, stored.begin() + 48), "Sixteen chars ok");
    EXPECT_EQ(stored[48 + 6], 0);
    EXPECT_EQ(m.Names()[2], "Sixteen chars ok");
    EXPECT_EQ(m.Names()[3], "Studio");

    SetHeaderBytes(*dev, {{dh::MuteOptions, 0x05}});
    EXPECT_FALSE(m.PFLActivates());
    m.SetPFLActivates(true);
    EXPECT_EQ(dev->Header()[dh::MuteOptions], 0x85);
    EXPECT_TRUE(dev->IsChanged());
    m.SetPFLActivates(false);
    EXPECT_EQ(dev->Header()[dh::MuteOptions], 0x05);
}

} // namespace
} // namespace kvr::editors::test
