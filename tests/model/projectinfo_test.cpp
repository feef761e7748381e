#include <gtest/gtest.h>

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/inserts.h"
#include "model/project.h"
#include "model/projectinfo.h"
#include "recordinghost.h"

namespace kvr::model {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Info(std::uint32_t first, std::uint32_t n, std::size_t entries)
{
    Bytes info(12 + 8 * entries, 0);
    writeLE32(info, 0, first);
    writeLE32(info, 8, n);
    for (std::size_t k = 0; k < entries; ++k)
        writeLE32(info, 12 + 8 * k, static_cast<std::uint32_t>(k + 1));
    return info;
}

TEST(ProjectInfo, ReadAndWriteBounded)
{
    test::RecordingHost host;
    TProject project;
    Bytes out = {1, 2, 3};
    EXPECT_FALSE(GetProjectInfo(project, out));
    EXPECT_EQ(out, (Bytes{1, 2, 3}));

    // A stored record of 200 bytes is returned as its first 172.
    const Bytes big = Info(3, 23, 23);
    project.SetProjData(pstProjectInfo, big);
    ASSERT_TRUE(GetProjectInfo(project, out));
    EXPECT_EQ(out, Bytes(big.begin(), big.begin() + 172));

    // Counts beyond the record or beyond 20 entries are cut.
    SetProjectInfo(project, big);
    project.GetProjData(pstProjectInfo, out);
    EXPECT_EQ(out.size(), 172u);
    EXPECT_EQ(readLE32(out, 8), 20u);
    SetProjectInfo(project, Info(3, 9, 2));
    project.GetProjData(pstProjectInfo, out);
    EXPECT_EQ(out.size(), 28u);
    EXPECT_EQ(readLE32(out, 8), 2u);
    EXPECT_TRUE(project.IsModified());
}

TEST(DeviceIDChange, ResourcesAndPoolFollow)
{
    test::RecordingHost host;
    TProject project;
    project.AddDevice();
    project.AddDevice();
    TDevice& dev = *project.Device(1);
    TGlobalResource r;
    r.ID = 4;
    r.Master = 3;
    r.DefaultOwner = 2;
    r.Count = 2;
    r.Subscribers[0] = {2, 1836};
    r.Subscribers[1] = {3, 1837};
    SetGlobalResource(dev, r);
    TGlobalPoolRecord pool;
    InitGlobalPoolLine(pool);
    pool.SourceDevice = 3;
    pool.Count = 1;
    pool.Lines[0] = {0x0301, 0x0502, 1, 2};
    SetGlobalPoolLines(dev, pool);
    AddFaderChannel(dev);
    TFaderChannel channel;
    GetFaderChannel(dev, 1, channel);
    channel.Source = kPoolFedSource + 1;
    channel.PoolSource = 0x0502;
    SetFaderChannel(dev, 1, channel);

    ChangeDeviceIDInRecords(dev, 3, 9);
    ASSERT_EQ(GetGlobalResource(dev, 4, r), 1);
    EXPECT_EQ(r.Master, 9u);
    EXPECT_EQ(r.DefaultOwner, 2u);
    EXPECT_EQ(r.Subscribers[0].DeviceID, 2u);
    EXPECT_EQ(r.Subscribers[1].DeviceID, 9u);
    TGlobalPoolRecord out;
    ASSERT_EQ(GetGlobalPoolLines(dev, out), 1);
    EXPECT_EQ(out.SourceDevice, 9u);
    EXPECT_EQ(out.Lines[0].Flags, 1);
    GetFaderChannel(dev, 1, channel);
    EXPECT_EQ(channel.Source, kPoolFedSource + 1);
    EXPECT_EQ(channel.PoolSource, 0x0502);
}

TEST(DeviceIDChange, AcrossTheProject)
{
    test::RecordingHost host;
    TProject project;
    for (int i = 0; i < 3; ++i)
        project.AddDevice(); // IDs 1, 2, 3
    // Device 1: a key that addresses device 3.
    Bytes module(6, 0);
    writeLE16(module, 0, 10);
    module[5] = 1;
    Bytes key(42, 0);
    key[1] = 1;
    key[31] = 13;
    writeBE32(key, 36, 3);
    module.insert(module.end(), key.begin(), key.end());
    project.Device(1)->SetSetupData(100, module);
    // Device 0: a pool fed by device 3, with a pool-fed channel.
    TDevice& fed = *project.Device(0);
    TGlobalPoolRecord pool;
    InitGlobalPoolLine(pool);
    pool.SourceDevice = 3;
    pool.Count = 1;
    pool.Lines[0] = {0x0301, 0x0502, 0, 0};
    SetGlobalPoolLines(fed, pool);
    AddFaderChannel(fed);
    TFaderChannel channel;
    GetFaderChannel(fed, 1, channel);
    channel.Source = kPoolFedSource + 1;
    channel.PoolSource = 0x0502;
    SetFaderChannel(fed, 1, channel);
    // A resource whose master and a subscriber are device 3.
    TGlobalResource r;
    AddGlobalResource(project, r);
    AddGlobalResourceSubscriber(project, r.ID, 2);
    GetGlobalResource(project, r.ID, r);
    r.Master = 3;
    SetGlobalResource(project, r);

    project.ChangeDeviceID(3, 9);
    EXPECT_EQ(project.Device(2)->GetDeviceID(), 9u);
    EXPECT_EQ(readBE32(project.Device(1)->GetSetupData(100), 6 + 36), 9u);
    TGlobalPoolRecord out;
    ASSERT_EQ(GetGlobalPoolLines(fed, out), 1);
    EXPECT_EQ(out.SourceDevice, 9u);
    GetFaderChannel(fed, 1, channel);
    EXPECT_EQ(channel.Source, kPoolFedSource + 1);
    EXPECT_EQ(channel.PoolSource, 0x0502);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(GetGlobalResource(*project.Device(i), r.ID, r), 1);
        EXPECT_EQ(r.Master, 9u);
        EXPECT_EQ(r.Subscribers[0].DeviceID, 9u);
    }
}

TEST(DeviceDelete, ResourcesAndPoolsForgetTheDevice)
{
    test::RecordingHost host;
    TProject project;
    for (int i = 0; i < 3; ++i)
        project.AddDevice(); // IDs 1, 2, 3
    TGlobalResource r;
    AddGlobalResource(project, r);
    AddGlobalResourceSubscriber(project, r.ID, 1);
    AddGlobalResourceSubscriber(project, r.ID, 2);
    GetGlobalResource(project, r.ID, r);
    r.Master = 2;
    r.DefaultOwner = 2;
    SetGlobalResource(project, r);
    TGlobalPoolRecord pool;
    InitGlobalPoolLine(pool);
    pool.SourceDevice = 2;
    pool.Count = 1;
    SetGlobalPoolLines(*project.Device(2), pool);

    project.DeleteDevice(1);
    ASSERT_EQ(GetGlobalResource(project, r.ID, r), 1);
    EXPECT_EQ(r.Master, 0u);
    EXPECT_EQ(r.DefaultOwner, 0u);
    EXPECT_EQ(r.Count, 1);
    EXPECT_EQ(r.Subscribers[0].DeviceID, 3u);
    TGlobalPoolRecord out;
    EXPECT_EQ(GetGlobalPoolLines(*project.Device(1), out), 0);
}

} // namespace
} // namespace kvr::model
