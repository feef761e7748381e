#include <gtest/gtest.h>

#include "editors/logic/gporoutinglist.h"
#include "logicfixture.h"
#include "model/channelname.h"
#include "model/gpoaccess.h"

namespace kvr::editors::test {
namespace {

// Slot 1: an I/O card whose odd entries are GPOs ("Lamp" named, entry 3 unnamed, entry 5 unnamed
// but routed); slot 3: a GPIO card with entries 0-7.
class GPOListTest : public LogicPageTest {
public:
    GPOListTest()
    {
        dev->SetSetupData(1, CardRec(111, {}, {"In1", "Lamp", "In2", "", "In3", "", "In4", "Tally"}));
        dev->SetSetupData(3, CardRec(311, {}, {"g0", "g1", "g2", "g3", "", "", "", ""}));
        SetGPORouting(*dev, CalcGPOID(*dev, 1, 5), 0x4000 | 931);
        page.Show(lkGPORouting);
        list.FillGPOList();
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> out;
        for (const GPORow& row : list.Rows())
            out.push_back(row.Name);
        return out;
    }
    GPORoutingList list{page};
};

TEST_F(GPOListTest, ListsNamedOrRoutedGPOsOfTheFramesCards)
{
    // The GPIO card's entries 0 and 4 are no GPOs.
    EXPECT_EQ(Names(), (std::vector<std::string>{"Lamp", "", "Tally", "g1", "g2", "g3"}));
    const GPORow& routed = list.Rows()[1];
    EXPECT_EQ(routed.Ref, 0x4000 | 931);
    EXPECT_EQ(routed.ImageIndex, 1);
    EXPECT_EQ(routed.GPOID, CalcGPOID(*dev, 1, 5));
    EXPECT_EQ(routed.Source, GetLogicSourceName(project, 931, 0));
    EXPECT_EQ(routed.Address, GetChannelName(MakeChannelID(1, 5, 0xC0), 111, false));
    EXPECT_EQ(list.Rows()[0].Ref, 0xC000);
    EXPECT_EQ(list.Rows()[0].ImageIndex, 3);
    EXPECT_EQ(list.Rows()[0].Source, GetLogicSourceName(project, 0, 0));
    EXPECT_FALSE(list.AssignEnabled());
}

TEST_F(GPOListTest, AssignKeepsTheConditionClearAndClearAllLeaveUnroutedGPOs)
{
    EXPECT_FALSE(Assign(ltGPORouting, 931).Written); // no row selected
    list.Select(0);
    EXPECT_TRUE(list.AssignEnabled());
    EXPECT_TRUE(Assign(ltGPORouting, 0x8000 | 932).Written);
    list.RefreshSelected();
    EXPECT_EQ(GetGPORouting(*dev, list.Rows()[0].GPOID), 0x8000 | 932);
    EXPECT_EQ(list.Rows()[0].ImageIndex, 2);

    list.Clear();
    EXPECT_EQ(GetGPORouting(*dev, list.Rows()[0].GPOID), 0xC000);
    EXPECT_EQ(list.Rows()[0].ImageIndex, 3);

    list.ClearAll();
    EXPECT_TRUE(dev->GetData(stGPORouting).empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"Lamp", "Tally", "g1", "g2", "g3"}));
    for (const GPORow& row : list.Rows())
        EXPECT_EQ(row.Ref, 0xC000) << row.Name;
}

} // namespace
} // namespace kvr::editors::test
