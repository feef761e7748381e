#include "kvrdata/byteorder.h"
#include "model/faderaccess.h"
#include "model/project.h"
#include "model/superoutputs.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

using namespace kvr::model;
using namespace kvr::model::test;

namespace {

class OnlineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        project.AddDevice();
        project.AddDevice();
        device = project.Device(1);
    }

    TDeviceOnlineRecord broadcast(std::uint32_t stamp) const
    {
        TDeviceOnlineRecord r;
        r.DeviceID = device->GetDeviceID();
        r.ProjectID = static_cast<std::uint32_t>(project.GetProjectID());
        r.Sender = 0x0A000001;
        r.Serial = 1234;
        r.Stamp = stamp;
        return r;
    }

    RecordingHost host;
    TProject project;
    TDevice* device = nullptr;
};

TEST_F(OnlineTest, BroadcastsSetOnlineAndModifiedStates)
{
    const std::uint32_t same = device->GetChangeTime();
    TDeviceOnlineRecord other = broadcast(same);
    other.ProjectID ^= 1;
    EXPECT_EQ(0, project.UpdateOnlineState(other));

    EXPECT_EQ(1, project.UpdateOnlineState(broadcast(same)));
    EXPECT_EQ(0, project.UpdateOnlineState(broadcast(same)));
    EXPECT_EQ(0x0A000001u, device->FOnlineSender);
    EXPECT_EQ(1234u, device->FOnlineSerial);

    EXPECT_EQ(1, project.UpdateOnlineState(broadcast(same + 1)));
    EXPECT_EQ(1, project.UpdateOnlineState(broadcast(same + 1))); // counted again while it differs
    EXPECT_EQ(1, project.UpdateOnlineState(broadcast(0x80000000u)));
    EXPECT_EQ(0u, device->FOnlineModified);

    TProject fresh;
    fresh.AddDevice();
    device = fresh.Device(0);
    TDeviceOnlineRecord r = broadcast(device->GetChangeTime() + 5);
    r.ProjectID = static_cast<std::uint32_t>(fresh.GetProjectID());
    EXPECT_EQ(2, fresh.UpdateOnlineState(r)); // online and modified
}

TEST_F(OnlineTest, TreeNodeShowsTheStates)
{
    int node = 0;
    device->FTreeNode = &node;
    project.UpdateOnlineState(broadcast(device->GetChangeTime() + 1));
    ASSERT_EQ(1u, host.nodeTexts.size());
    EXPECT_EQ(static_cast<void*>(&node), host.nodeTexts[0].first);
    EXPECT_EQ("Device 2, Online, Modified", host.nodeTexts[0].second);
}

TEST_F(OnlineTest, DevicesGoOfflineAfterFiveTicksWithoutBroadcasts)
{
    project.UpdateOnlineState(broadcast(device->GetChangeTime()));
    for (int tick = 0; tick < 4; ++tick)
        EXPECT_EQ(0, project.CheckOnlineTimeouts());
    EXPECT_EQ(1, project.CheckOnlineTimeouts());
    EXPECT_EQ(0, project.CheckOnlineTimeouts());
    EXPECT_EQ(0u, device->FOnline);
}

TEST_F(OnlineTest, DummyDevicesAndUnknownIdsAreIgnored)
{
    auto header = device->GetHeader();
    header[106] = 27;
    device->SetHeader(header, false);
    EXPECT_EQ(0, project.UpdateOnlineState(broadcast(0)));
    TDeviceOnlineRecord r = broadcast(0);
    r.DeviceID = 99;
    EXPECT_EQ(0, project.UpdateOnlineState(r));
    EXPECT_EQ(1, project.IndexOfDevice(device->GetDeviceID()));
    EXPECT_EQ(-1, project.IndexOfDevice(99));
}

TEST_F(OnlineTest, PrepareLoadToDeviceRepairsAndStampsTheImage)
{
    // A stereo channel fed from an odd source, and a half-set group.
    AddFaderChannel(*device);
    TFaderChannel channel;
    GetFaderChannel(*device, 1, channel);
    channel.PoolFlags |= 0x20; // stereo
    channel.Source = 0x0103;
    SetFaderChannel(*device, 1, channel);
    const std::array<std::uint8_t, 8> groups = {3, 0, 2, 1, 0, 0, 0, 0};
    SetGroupLogic(*device, groups);

    host.now = 99999;
    device->PrepareLoadToDevice();
    EXPECT_EQ(99999u, device->GetChangeTime());
    EXPECT_TRUE(device->IsChanged());
    GetFaderChannel(*device, 1, channel);
    EXPECT_EQ(0x0102, channel.Source);
    EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 2, 1, 0, 0, 0, 0}), device->GetData(stGroupLogic));
    EXPECT_EQ(device->GetAllData().size(), kvr::readBE16(device->Header(), dh::TotalSize));
}

} // namespace
