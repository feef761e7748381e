#include "app/devicepages/usergroups.h"

#include "../projectpages/pagefixture.h"
#include "model/superoutputs.h"

using namespace kvr::app;

namespace {

class UserGroupsTest : public test::PageFixture {
protected:
    UserGroups groups{project, 0};
};

} // namespace

TEST_F(UserGroupsTest, ADeviceWithoutTheStructureShowsEmptyRowsAndTheFirstChangeCreatesIt)
{
    EXPECT_TRUE(Device(0).GetData(kvr::model::stUserGroups).empty());
    const UserGroupValues values = groups.Values();
    EXPECT_EQ(values.Source1Name, "None");
    for (const UserGroupRow& row : values.Rows) {
        EXPECT_EQ(row.Label, "");
        EXPECT_EQ(row.PIN, "0000");
        EXPECT_EQ(LockTimeText(row.Autolock), "Off");
        EXPECT_FALSE(row.Display);
    }
    groups.SetLabel(2, "Producers and more than sixteen");
    const auto stored = Device(0).GetData(kvr::model::stUserGroups);
    ASSERT_EQ(stored.size(), 6u + 8u * 20u);
    EXPECT_EQ(stored[5], 20);
    EXPECT_EQ(groups.Values().Rows[2].Label, "Producers and mo");
}

TEST_F(UserGroupsTest, PINDigitsAreNibblesAndBlanksCountAsZero)
{
    struct Case {
        const char* typed;
        std::uint16_t pin;
        const char* shown;
    } cases[] = {
        {"1234", 0x1234, "1234"}, {"12 4", 0x1204, "1204"}, {"12", 0x1200, "1200"},
        {" 9  ", 0x0900, "0900"}, {"", 0x0000, "0000"},     {"98765", 0x9876, "9876"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PINFromText(c.typed), c.pin) << c.typed;
        groups.SetPIN(7, c.typed);
        EXPECT_EQ(groups.Values().Rows[7].PIN, c.shown) << c.typed;
    }
}

TEST_F(UserGroupsTest, EachRowWritesOnlyItsOwnGroup)
{
    groups.SetLabel(0, "Ops");
    groups.SetAutolock(1, 3);
    groups.SetDisplay(1, true);
    groups.SetAutolock(1, 9); // not a lock time: ignored
    groups.SetLabel(8, "nobody");
    groups.SetChipCard(true);
    const UserGroupValues values = groups.Values();
    EXPECT_EQ(values.Rows[0].Label, "Ops");
    EXPECT_EQ(values.Rows[0].Autolock, 0);
    EXPECT_EQ(values.Rows[1].Label, "");
    EXPECT_EQ(values.Rows[1].Autolock, 3);
    EXPECT_EQ(LockTimeText(values.Rows[1].Autolock), "10 min");
    EXPECT_TRUE(values.Rows[1].Display);
    EXPECT_TRUE(values.ChipCard);
    groups.SetDisplay(1, false);
    EXPECT_FALSE(groups.Values().Rows[1].Display);
    EXPECT_EQ(groups.Values().Rows[1].Autolock, 3);
}
