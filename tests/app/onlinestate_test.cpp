#include "app/onlinestate.h"

#include <gtest/gtest.h>

#include "../model/recordinghost.h"
#include "kvrdata/byteorder.h"

using namespace kvr::app;
using Kvrdata_ns::TUDPMsg;

namespace {

class OnlineStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        project.AddDevice();
        project.AddDevice();
        project.Device(0)->FTreeNode = &node0;
        project.Device(1)->FTreeNode = &node1;
    }

    TUDPMsg Status(std::uint32_t DID, std::uint32_t Stamp, std::uint32_t Magic = Kvrdata_ns::UDPMagicDeviceStatus) const
    {
        TUDPMsg M;
        M.Address = 0x7F000002;
        kvr::writeLE32(M.Payload, 0, Magic);
        kvr::writeLE32(M.Payload, 4, 0x4321);
        kvr::writeLE32(M.Payload, 8, DID);
        kvr::writeLE32(M.Payload, 12, static_cast<std::uint32_t>(project.GetProjectID()));
        kvr::writeLE32(M.Payload, 16, Stamp);
        M.Length = 60;
        return M;
    }

    std::uint32_t Id(int Device) const { return project.Device(Device)->GetDeviceID(); }
    std::uint32_t Stamp(int Device) const { return project.Device(Device)->GetChangeTime(); }
    std::string LastText(void* Node) const
    {
        for (auto it = host.nodeTexts.rbegin(); it != host.nodeTexts.rend(); ++it)
            if (it->first == Node)
                return it->second;
        return {};
    }

    kvr::model::test::RecordingHost host;
    kvr::model::TProject project;
    int node0 = 0;
    int node1 = 0;
    int seconds = 0;
};

} // namespace

TEST_F(OnlineStateTest, StatusRecordTakesItsFieldsFromTheBroadcast)
{
    kvr::model::TDeviceOnlineRecord r;
    ASSERT_TRUE(DeviceStatusRecord(Status(7, 0x12345678), r));
    EXPECT_EQ(r.Serial, 0x4321u);
    EXPECT_EQ(r.DeviceID, 7u);
    EXPECT_EQ(r.ProjectID, static_cast<std::uint32_t>(project.GetProjectID()));
    EXPECT_EQ(r.Sender, 0x7F000002u);
    EXPECT_EQ(r.Stamp, 0x12345678u);
    EXPECT_FALSE(DeviceStatusRecord(Status(7, 0, Kvrdata_ns::UDPMagicGlobalLogic), r));
}

TEST_F(OnlineStateTest, BroadcastsMarkDevicesOnlineAndModified)
{
    EXPECT_EQ(HandleDeviceStatusBroadcast(&project, false, Status(Id(1), Stamp(1), Kvrdata_ns::UDPMagicGlobalLogic)), 0);
    EXPECT_EQ(HandleDeviceStatusBroadcast(&project, false, Status(0x7777, Stamp(1))), 0); // unknown device
    EXPECT_EQ(HandleDeviceStatusBroadcast(&project, true, Status(Id(1), Stamp(1))), 0);   // terminating
    EXPECT_EQ(HandleDeviceStatusBroadcast(nullptr, false, Status(Id(1), Stamp(1))), 0);
    EXPECT_EQ(project.Device(1)->FOnline, 0u);

    const std::string name = project.Device(1)->GetName();
    HandleDeviceStatusBroadcast(&project, false, Status(Id(1), Stamp(1)));
    EXPECT_EQ(LastText(&node1), name + ", Online");
    HandleDeviceStatusBroadcast(&project, false, Status(Id(1), Stamp(1) + 1));
    EXPECT_EQ(LastText(&node1), name + ", Online, Modified");
    HandleDeviceStatusBroadcast(&project, false, Status(Id(1), 0x80000000u)); // no stamp: never modified
    EXPECT_EQ(LastText(&node1), name + ", Online");
    EXPECT_EQ(project.Device(0)->FOnline, 0u);
}

TEST_F(OnlineStateTest, TwoDevicesWithOneIdGoOnlineTogether)
{
    auto header = project.Device(0)->GetHeader();
    kvr::writeBE32(header, 78, Id(1));
    project.Device(0)->SetHeader(header, false);
    HandleDeviceStatusBroadcast(&project, false, Status(Id(1), Stamp(1)));
    EXPECT_EQ(project.Device(0)->FOnline, 1u);
    EXPECT_EQ(project.Device(1)->FOnline, 1u);
}

TEST_F(OnlineStateTest, DeviceGoesOfflineOnTheFifthTickAndStandsStillWhileProcessing)
{
    HandleDeviceStatusBroadcast(&project, false, Status(Id(0), Stamp(0)));
    const AutoSaveSettings off;
    for (int tick = 1; tick <= 4; ++tick) {
        const OnlineTickResult r = OnlineTick(&project, false, "", off, seconds);
        EXPECT_TRUE(r.Ran);
        EXPECT_FALSE(r.RebuildTree) << tick;
        // A long operation holds every countdown.
        EXPECT_FALSE(OnlineTick(&project, true, "", off, seconds).Ran);
    }
    EXPECT_EQ(project.Device(0)->FOnline, 1u);
    EXPECT_TRUE(OnlineTick(&project, false, "", off, seconds).RebuildTree);
    EXPECT_EQ(project.Device(0)->FOnline, 0u);
    EXPECT_FALSE(OnlineTick(&project, false, "", off, seconds).RebuildTree);
    EXPECT_FALSE(OnlineTick(nullptr, false, "", off, seconds).Ran);
}

TEST_F(OnlineStateTest, AutosaveRunsOnTheTickAfterTheInterval)
{
    struct Case {
        const char* File;
        AutoSaveSettings Settings;
        int Start;
        int SaveTick; // 0: none within 200 ticks
        int CounterAfter200;
    };
    const Case cases[] = {
        {"/p/x.kvp", {true, 1}, 0, 61, 17},
        {"/p/x.KVP", {true, 1}, 0, 0, 17}, // counts, never writes
        {"/p/x.kv1", {true, 1}, 0, 0, 17},
        {"", {true, 1}, 0, 0, 0},                      // never saved: the counter stands
        {"/p/x.kvp", {false, 1}, 0, 0, 0},
        {"/p/x.kvp", {true, 0}, 5, 1, 0}, // interval 0: a left-over count saves once
        {"/p/x.kvp", {true, 2}, 500, 1, 78},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.File) + " interval " + std::to_string(c.Settings.IntervalMinutes));
        seconds = c.Start;
        int firstSave = 0;
        for (int tick = 1; tick <= 200; ++tick)
            if (OnlineTick(&project, false, c.File, c.Settings, seconds).Save && firstSave == 0)
                firstSave = tick;
        EXPECT_EQ(firstSave, c.SaveTick);
        EXPECT_EQ(seconds, c.CounterAfter200);
    }
}
