#include "model/linkaccess.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "recordfixture.h"

using namespace kvr::model;
using namespace kvr::model::test;

namespace {

class LinkAccess : public RecordTest {
protected:
    LinkAccess()
    {
        TraceCallback = [this](std::string line) { traced.push_back(std::move(line)); };
    }
    ~LinkAccess() override { TraceCallback = nullptr; }

    int LinkCountByte() { return project.GetHeader()[ph::LinkCount]; }

    TProject project;
    std::vector<std::string> traced;
};

TDeviceLink Link(int id, int sdev, int sport, int tdev, int tport, int type)
{
    TDeviceLink l;
    l.ID = static_cast<std::uint8_t>(id);
    l.SDev = static_cast<std::uint8_t>(sdev);
    l.SPort = static_cast<std::uint16_t>(sport);
    l.TDev = static_cast<std::uint8_t>(tdev);
    l.TPort = static_cast<std::uint16_t>(tport);
    l.Type = static_cast<std::uint8_t>(type);
    return l;
}

} // namespace

TEST_F(LinkAccess, AddTracesTheCallersRecordAndCountsLinks)
{
    TDeviceLink l = Link(9, 0, 0x0102, 1, 0x0203, 1);
    l.Opt = 0x80;
    EXPECT_EQ(AddDeviceLink(project, l), 0);
    EXPECT_EQ(AddDeviceLink(project, l), 1);
    EXPECT_EQ(LinkCountByte(), 2);
    ASSERT_FALSE(traced.empty());
    EXPECT_EQ(traced[0],
              "ADD:ID:09|SDev:00|SSlot:00|SPort:0102|TDev:01|TSlot:00|TPort:0203|Type:01|Direction:00|Opt:80");
    const auto stored = project.GetProjData(pstDeviceLinks);
    ASSERT_EQ(stored.size(), 32u);
    for (std::size_t i = 11; i < 16; ++i)
        EXPECT_EQ(stored[i], 0);
    EXPECT_TRUE(project.IsModified());
}

TEST_F(LinkAccess, FullSetRefusesWithoutTrace)
{
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(AddDeviceLink(project, Link(0, 0, 0, 0, 0, 0)), i);
    traced.clear();
    EXPECT_EQ(AddDeviceLink(project, Link(0, 0, 0, 0, 0, 0)), -1);
    EXPECT_TRUE(traced.empty());
    DeleteDeviceLink(project, 2);
    EXPECT_EQ(AddDeviceLink(project, Link(0, 0, 0, 0, 0, 0)), 2);
}

TEST_F(LinkAccess, GetSetAndNotWritten)
{
    AddDeviceLink(project, Link(0, 0, 0x0102, 1, 0x0203, 1));
    TDeviceLink out;
    out.Opt = 0x55;
    ASSERT_EQ(GetDeviceLink(project, 0, out), 1);
    EXPECT_EQ(out.Opt, 0x55);
    EXPECT_EQ(out.TPort, 0x0203);
    EXPECT_EQ(GetDeviceLink(project, 5, out), 0);

    traced.clear();
    const auto before = project.GetProjData(pstDeviceLinks);
    TDeviceLink change = Link(0, 2, 0x0304, 1, 0x0203, 2);
    change.Opt = 0x80;
    SetDeviceLink(project, 0, change);
    EXPECT_EQ(traced, (std::vector<std::string>{
                          "SET:ID:00|SDev:02|SSlot:00|SPort:0304|TDev:01|TSlot:00|TPort:0203|Type:02|Direction:00|Opt:80",
                          "Link not written!"}));
    EXPECT_EQ(project.GetProjData(pstDeviceLinks), before);
    change.Opt = 0x01;
    SetDeviceLink(project, 0, change);
    EXPECT_EQ(project.GetProjData(pstDeviceLinks)[1], 2);
    EXPECT_EQ(project.GetProjData(pstDeviceLinks)[11], 0);

    int id = -1;
    EXPECT_EQ(FindDeviceLink(project, 0x0304, 2, &id, lkEither), 3);
    EXPECT_EQ(id, 0);
}

TEST_F(LinkAccess, DeleteDropsThePoolLinesOfItsTarget)
{
    project.AddDevice();
    project.AddDevice();
    AddDeviceLink(project, Link(0, 0, 0x0102, 1, 0x0203, 1));
    AddDeviceLink(project, Link(0, 1, 0x0102, 0, 0x0203, 1));
    DeleteDeviceLink(project, 0);
    EXPECT_EQ(LinkCountByte(), 1);
    ASSERT_EQ(poolLinksRemoved.size(), 1u);
    EXPECT_EQ(poolLinksRemoved[0][5], 1);
    DeleteDeviceLink(project, 7);
    EXPECT_EQ(poolLinksRemoved.size(), 1u);
}
