#include "imagebuilder.h"
#include "model/globalresources.h"
#include "model/inserts.h"
#include "model/linkaccess.h"
#include "model/project.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace kvr;
using namespace kvr::model;
using namespace kvr::model::test;

namespace {

class ProjectTest : public ::testing::Test {
protected:
    RecordingHost host;
    TProject project;

    void makeDummy(int index, const std::string& name = "Dummy")
    {
        TDevice* device = project.Device(index);
        device->SetName(name);
        auto header = device->GetHeader();
        header[106] = 27;
        device->SetHeader(header, true);
    }

    // A module of type 10 in slot 100 with one key record of the kind, addressing a device.
    static void putDeviceKey(TDevice& device, std::uint8_t kind, std::uint32_t deviceId)
    {
        Bytes module(6 + 42, 0);
        writeLE16(module, 0, 10);
        module[5] = 1;
        module[6 + 31] = kind;
        module[6 + 32] = 5;
        writeBE32(module, 6 + 36, deviceId);
        module[6 + 40] = 0x77;
        device.SetSetupData(100, module);
    }
};

TEST_F(ProjectTest, NewProjectDefaults)
{
    const auto header = project.GetHeader();
    EXPECT_EQ(100u, project.BlockSize());
    EXPECT_EQ("Project 1", project.GetName());
    EXPECT_EQ(0, header[48]);
    EXPECT_EQ((Bytes{0x22, 0x10, 0x20, 0x01}), Bytes(header.begin(), header.begin() + 4));
    EXPECT_EQ(ProgramVersion, readBE64(header, 4));
    for (int i = 88; i < 92; ++i)
        EXPECT_TRUE(header[i] >= 'A' && header[i] <= 'Z');
    EXPECT_FALSE(project.IsChanged());
    EXPECT_EQ(0, project.DeviceCount());
}

TEST_F(ProjectTest, ProjectEntriesMoveToTheFrontAndEmptyOnesStay)
{
    EXPECT_TRUE(project.SetProjData(pstGlobalLogics, Bytes(16, 'a')));
    EXPECT_TRUE(project.SetProjData(pstDeviceLinks, Bytes{1, 2}));
    EXPECT_TRUE(project.SetProjData(pstGlobalLogics, Bytes{3}));
    const auto block = project.Block();
    ASSERT_EQ(100u + 5 + 6, block.size());
    EXPECT_EQ(pstGlobalLogics, block[100]);
    EXPECT_EQ((Bytes{3}), project.GetProjData(pstGlobalLogics));

    EXPECT_TRUE(project.SetProjData(pstGlobalPots, {}));
    Bytes out{9};
    EXPECT_TRUE(project.GetProjData(pstGlobalPots, out));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(100u + 5 + 6 + 4, project.BlockSize());
    EXPECT_FALSE(project.GetProjData(pstProjectInfo, out));
}

TEST_F(ProjectTest, ProjectDataPastTheBlockSizeIsRefusedUnchanged)
{
    project.SetProjData(pstGlobalLogics, Bytes(1600, 1));
    const Bytes before(project.Block().begin(), project.Block().end());
    EXPECT_FALSE(project.SetProjData(pstGlobalPots, Bytes(8000 - 100 - 1604 - 4 + 1, 2)));
    EXPECT_EQ(1u, host.shown.size());
    EXPECT_EQ(before, Bytes(project.Block().begin(), project.Block().end()));
    // Exactly filling the block is fine, and so is replacing an entry within the limit.
    EXPECT_TRUE(project.SetProjData(pstGlobalPots, Bytes(8000 - 100 - 1604 - 4, 2)));
    EXPECT_EQ(8000u, project.BlockSize());
    EXPECT_TRUE(project.SetProjData(pstGlobalLogics, Bytes(1600, 3)));
}

TEST_F(ProjectTest, HeaderCopiesKeepDeviceCountAndBlockSize)
{
    const auto stale = project.GetHeader();
    project.AddDevice();
    project.SetProjData(pstDeviceLinks, Bytes(16, 0));
    auto header = stale;
    std::memcpy(header.data() + 12, "Renamed", 8);
    project.SetHeader(header);
    EXPECT_EQ("Renamed", project.GetName());
    EXPECT_EQ(1, project.GetHeader()[78]);
    EXPECT_EQ(120u, project.BlockSize());
    EXPECT_TRUE(project.IsChanged());

    project.SetName(std::string(40, 'n'));
    EXPECT_EQ(std::string(35, 'n'), project.GetName());
}

TEST_F(ProjectTest, AddedDevicesGetFreeIdsNamesAndTheProjectId)
{
    EXPECT_EQ(0, project.AddDevice());
    EXPECT_EQ(1, project.AddDevice());
    TDevice* device = project.Device(1);
    EXPECT_EQ(2u, device->GetDeviceID());
    EXPECT_EQ("Device 2", device->GetName());
    EXPECT_EQ("Device 2", device->GetChipCardID());
    const auto header = device->GetHeader();
    EXPECT_EQ(project.GetProjectID(), static_cast<std::int32_t>(readBE32(header, 12)));
    EXPECT_EQ(2, project.GetHeader()[78]);
    EXPECT_TRUE(project.IsModified());
}

TEST_F(ProjectTest, NewDevicesGoBeforeDummyDevicesUpToTwentyRegularOnes)
{
    project.AddDevice();
    project.AddDevice();
    makeDummy(1);
    EXPECT_EQ(1, project.AddDevice());
    EXPECT_TRUE(project.Device(2)->IsDummy());

    while (project.CountDevices() < 19)
        project.AddDevice();
    // 19 regular devices and a dummy: the 20th regular one still fits, so the project holds 21.
    EXPECT_EQ(19, project.AddDevice());
    EXPECT_EQ(21, project.DeviceCount());
    EXPECT_EQ(21, project.GetHeader()[78]);
    EXPECT_TRUE(project.Device(20)->IsDummy());
    host.shown.clear();
    EXPECT_EQ(-1, project.AddDevice());
    EXPECT_EQ((std::vector<Shown>{{"message", "Maximum number of devices within a project exceeded!", "Error"}}), host.shown);
    EXPECT_EQ(21, project.DeviceCount());
}

TEST_F(ProjectTest, FreeDeviceIds)
{
    struct Case {
        std::vector<std::uint32_t> ids;
        unsigned start;
        unsigned expected;
    };
    const Case cases[] = {
        {{}, 1, 1}, {{}, 5, 5}, {{1, 2, 3}, 1, 4}, {{1, 70}, 1, 2}, {{3, 1}, 1, 4}, {{1, 2, 0xFFFFFFFFu}, 1, 3},
        {{0x20000}, 0, 1},
    };
    for (const Case& c : cases) {
        TProject p;
        for (std::uint32_t id : c.ids)
            p.Device(p.AddDevice())->WriteDeviceID(id);
        EXPECT_EQ(c.expected, p.GetFreeDeviceID(c.start)) << "case expecting " << c.expected;
    }
    // Dummy devices do not hold IDs.
    project.AddDevice();
    project.AddDevice();
    makeDummy(1);
    EXPECT_EQ(2u, project.GetFreeDeviceID(1));
}

TEST_F(ProjectTest, DuplicateIdsRenameThePreferredOrTheOuterDevice)
{
    for (int i = 0; i < 3; ++i)
        project.AddDevice();
    project.Device(0)->WriteDeviceID(5);
    project.Device(2)->WriteDeviceID(5);
    project.Device(0)->SetChangedFlag(false);
    project.FixDuplicateDeviceIDs(2);
    EXPECT_EQ(5u, project.Device(0)->GetDeviceID());
    EXPECT_EQ(6u, project.Device(2)->GetDeviceID());

    project.Device(2)->WriteDeviceID(5);
    project.FixDuplicateDeviceIDs(1);
    EXPECT_EQ(6u, project.Device(0)->GetDeviceID()); // outer device of the pair
    EXPECT_EQ(5u, project.Device(2)->GetDeviceID());
    EXPECT_FALSE(project.Device(0)->IsChanged()); // written without a stamp
}

TEST_F(ProjectTest, LargeIdsAreChangedWithTheKeysThatNameThem)
{
    project.AddDevice();
    project.AddDevice();
    project.Device(1)->WriteDeviceID(0x20000);
    putDeviceKey(*project.Device(0), 13, 0x20000);
    Bytes info(12 + 8, 0);
    writeLE32(info, 0, 0x20000);
    writeLE32(info, 8, 1);
    writeLE32(info, 12, 0x20000);
    project.SetProjData(pstProjectInfo, info);

    TGlobalPoolRecord pool;
    pool.SourceDevice = 0x20000;
    pool.Count = 1;
    SetGlobalPoolLines(*project.Device(0), pool);

    project.FixLargeDeviceIDs();
    ASSERT_EQ(1, GetGlobalPoolLines(*project.Device(0), pool));
    EXPECT_EQ(2u, pool.SourceDevice);
    EXPECT_EQ(2u, project.Device(1)->GetDeviceID());
    EXPECT_EQ(2u, readBE32(project.Device(0)->GetSetupData(100), 6 + 36));
    const Bytes renamed = project.GetProjData(pstProjectInfo);
    EXPECT_EQ(2u, readLE32(renamed, 0));
    EXPECT_EQ(2u, readLE32(renamed, 12));
}

TEST_F(ProjectTest, CopyDeviceCopiesTheImageUnderAFreeIdWithoutGlobalLogics)
{
    project.AddDevice();
    TDevice* source = project.Device(0);
    source->SetName("Studio");
    source->SetChipCardID("CHIP");
    source->SetData(stGLAssign, Bytes{1, 2});
    source->SetData(3, Bytes{4, 5, 6});

    EXPECT_EQ(1, project.CopyDevice(0));
    TDevice* copy = project.Device(1);
    EXPECT_EQ("copy from \"Studio\"", copy->GetName());
    EXPECT_EQ(3u, copy->GetDeviceID()); // 2 was handed out by the add
    EXPECT_EQ("CHIP", copy->GetChipCardID());
    EXPECT_EQ((Bytes{4, 5, 6}), copy->GetData(3));
    EXPECT_TRUE(copy->GetData(stGLAssign).empty());
    EXPECT_EQ((Bytes{1, 2}), source->GetData(stGLAssign));
    EXPECT_EQ(-1, project.CopyDevice(7));
}

TEST_F(ProjectTest, CopyOfADummyDeviceCopiesThatDevice)
{
    project.AddDevice();
    project.AddDevice();
    makeDummy(1, "Remote");
    // Adding moves the dummy device up one place; the copy must still be of it.
    const int added = project.CopyDevice(1);
    ASSERT_EQ(1, added);
    EXPECT_EQ("copy from \"Remote\" (KX730-027)", project.Device(added)->GetName());
    EXPECT_EQ("Remote (KX730-027)", project.Device(2)->GetName());
}

TEST_F(ProjectTest, DeleteDeviceClearsGlobalResourceKeysThatSentToIt)
{
    for (int i = 0; i < 3; ++i)
        project.AddDevice();
    putDeviceKey(*project.Device(2), 14, 1);
    putDeviceKey(*project.Device(1), 13, 1); // another kind stays
    host.progress.clear();

    project.DeleteDevice(0);
    EXPECT_EQ(2, project.DeviceCount());
    EXPECT_EQ(2, project.GetHeader()[78]);
    const Bytes cleared = project.Device(1)->GetSetupData(100);
    EXPECT_EQ(Bytes(6, 0), Bytes(cleared.begin() + 6 + 36, cleared.begin() + 6 + 42));
    EXPECT_EQ(5, cleared[6 + 32]);
    EXPECT_EQ(1u, readBE32(project.Device(0)->GetSetupData(100), 6 + 36));
    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(0, host.progress.front());
    EXPECT_EQ(2 * 108, host.progress.back());

    project.DeleteDevice(5); // no such device
    EXPECT_EQ(2, project.DeviceCount());
}

TEST_F(ProjectTest, DeleteDeviceRenumbersAndRemovesLinks)
{
    for (int i = 0; i < 3; ++i)
        project.AddDevice();
    const auto link = [](std::uint8_t from, std::uint8_t to) {
        TDeviceLink l;
        l.SDev = from;
        l.TDev = to;
        l.SPort = 0x0102;
        l.TPort = 0x0203;
        return l;
    };
    const int keep = AddDeviceLink(project, link(1, 2));
    const int gone = AddDeviceLink(project, link(0, 2));
    const int back = AddDeviceLink(project, link(2, 0));

    project.DeleteDevice(0);
    TDeviceLink out;
    ASSERT_EQ(1, GetDeviceLink(project, keep, out));
    EXPECT_EQ(0, out.SDev);
    EXPECT_EQ(1, out.TDev);
    EXPECT_EQ(0x0203, out.TPort);
    EXPECT_EQ(0, GetDeviceLink(project, gone, out));
    EXPECT_EQ(0, GetDeviceLink(project, back, out));
    EXPECT_EQ(1, project.GetHeader()[79]);
}

TEST_F(ProjectTest, DeleteDeviceDropsItsGlobalResourceRolesAndThePoolsItFed)
{
    for (int i = 0; i < 3; ++i)
        project.AddDevice();
    TGlobalResource resource;
    ASSERT_EQ(1, AddGlobalResource(project, resource));
    resource.Master = 2;
    SetGlobalResource(project, resource);
    ASSERT_EQ(1, AddGlobalResourceSubscriber(project, resource.ID, 2));
    ASSERT_EQ(1, AddGlobalResourceSubscriber(project, resource.ID, 1));
    TGlobalPoolRecord pool;
    pool.SourceDevice = 2;
    pool.Count = 1;
    SetGlobalPoolLines(*project.Device(2), pool);

    project.DeleteDevice(1);
    TGlobalResource after;
    ASSERT_EQ(1, GetGlobalResource(project, resource.ID, after));
    EXPECT_EQ(0u, after.Master);
    EXPECT_EQ(1u, after.DefaultOwner);
    ASSERT_EQ(1, after.Count);
    EXPECT_EQ(3u, after.Subscribers[0].DeviceID);
    EXPECT_EQ(0, GetGlobalPoolLines(*project.Device(1), pool));
}

TEST_F(ProjectTest, ChangedStateFollowsTheProjectAndItsDevices)
{
    project.AddDevice();
    TProject& p = project;
    EXPECT_TRUE(p.IsChanged());
    TProject fresh;
    EXPECT_FALSE(fresh.IsChanged());
    fresh.AddDevice();
    EXPECT_TRUE(fresh.IsChanged());
}

TEST_F(ProjectTest, FileDateAndProjectId)
{
    auto header = project.GetHeader();
    std::memcpy(header.data() + 88, "ABCD", 4);
    project.SetHeader(header);
    EXPECT_EQ(0x41424344, project.GetProjectID());
    const std::string date = project.GetFileDate();
    EXPECT_EQ(24u, date.size());
}

} // namespace
