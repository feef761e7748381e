#include <gtest/gtest.h>

#include "adaptrecorder.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/project.h"
#include "recordinghost.h"

namespace kvr::model {
namespace {

using Bytes = std::vector<std::uint8_t>;

class GlobalResources : public ::testing::Test {
protected:
    GlobalResources()
    {
        for (int i = 0; i < 3; ++i)
            project.AddDevice(); // device IDs 1, 2, 3
    }
    TDevice& Dev(int i) { return *project.Device(i); }

    test::RecordingHost host;
    test::AdaptRecorder adapt;
    TProject project;
};

TEST_F(GlobalResources, AddedResourcesAreCopiedIntoEveryDevice)
{
    TGlobalResource r;
    ASSERT_EQ(AddGlobalResource(project, r), 1);
    EXPECT_EQ(r.ID, 1);
    EXPECT_EQ(std::string(r.Label.data(), 13), "Global Res. 1");
    EXPECT_EQ(r.DefaultOwner, Dev(0).GetDeviceID());
    const Bytes stored = Dev(0).GetData(stGlobalRes);
    ASSERT_EQ(stored.size(), 2u + 30);
    EXPECT_EQ(stored[0], 30);
    EXPECT_EQ(stored[1], 6);
    EXPECT_EQ(readBE32(stored, 2 + 10), Dev(0).GetDeviceID());
    EXPECT_EQ(Dev(1).GetData(stGlobalRes), stored);
    EXPECT_EQ(Dev(2).GetData(stGlobalRes), stored);
    EXPECT_TRUE(project.IsModified());
}

TEST_F(GlobalResources, IDAllocation)
{
    struct Case {
        std::vector<int> ids;
        int next;
    } cases[] = {{{}, 1}, {{1, 2}, 3}, {{1, 2, 149}, 3}, {{5}, 6}, {{149}, 1}};
    for (const Case& c : cases) {
        Dev(0).SetData(stGlobalRes, {});
        for (const int id : c.ids) {
            TGlobalResource r;
            r.ID = static_cast<std::uint8_t>(id);
            SetGlobalResource(Dev(0), r);
        }
        TGlobalResource added;
        ASSERT_EQ(AddGlobalResource(project, added), 1);
        EXPECT_EQ(added.ID, c.next);
    }
    // Twenty resources are the most.
    for (int i = static_cast<int>(GetGlobalResourceIDs(project).size()); i < 20; ++i) {
        TGlobalResource r;
        ASSERT_EQ(AddGlobalResource(project, r), 1);
    }
    TGlobalResource r;
    EXPECT_EQ(AddGlobalResource(project, r), 0);
}

TEST_F(GlobalResources, IDsAreSortedAfterASync)
{
    for (const int id : {7, 3, 5}) {
        TGlobalResource r;
        r.ID = static_cast<std::uint8_t>(id);
        SetGlobalResource(Dev(0), r);
    }
    EXPECT_EQ(GetGlobalResourceIDs(Dev(0)), (Bytes{7, 3, 5}));
    EXPECT_EQ(GetGlobalResourceIDs(project), (Bytes{3, 5, 7}));
    EXPECT_EQ(GetGlobalResourceIDs(Dev(2)), (Bytes{7, 3, 5}));
    // A missing structure in device 0 removes the copies.
    Dev(0).SetData(stGlobalRes, {});
    SyncGlobalResources(project);
    Bytes copy;
    EXPECT_FALSE(Dev(1).GetData(stGlobalRes, copy));
}

TEST_F(GlobalResources, SubscribersGetTheirOwnLogicSources)
{
    TGlobalResource r;
    AddGlobalResource(project, r);
    r.Count = 3;
    r.Subscribers[0] = {9, 1836};
    r.Subscribers[1] = {8, 1837};
    r.Subscribers[2] = {7, 1900};
    SetGlobalResource(project, r);
    std::uint16_t id = 0;
    ASSERT_EQ(GetFreeSubscriberLogicID(project, id), 1);
    EXPECT_EQ(id, 1901);

    ASSERT_EQ(AddGlobalResourceSubscriber(project, r.ID, 1), 1);
    EXPECT_EQ(AddGlobalResourceSubscriber(project, r.ID, 1), 0); // already subscribes
    EXPECT_EQ(AddGlobalResourceSubscriber(project, r.ID, 3), 0); // no such device
    EXPECT_EQ(AddGlobalResourceSubscriber(project, 99, 0), 0);   // no such resource
    TGlobalResource back;
    ASSERT_EQ(GetGlobalResource(Dev(2), r.ID, back), 1);
    EXPECT_EQ(back.Count, 4);
    EXPECT_EQ(back.Subscribers[3].DeviceID, Dev(1).GetDeviceID());
    EXPECT_EQ(back.Subscribers[3].LogicID, 1901);
    EXPECT_TRUE(IsGlobalResourceSubscriber(back, Dev(1).GetDeviceID()));
    EXPECT_FALSE(IsGlobalResourceSubscriber(back, Dev(2).GetDeviceID()));

    // The highest ID in use is the last one: the lowest free one is taken.
    back.Subscribers[0].LogicID = 1985;
    SetGlobalResource(project, back);
    ASSERT_EQ(GetFreeSubscriberLogicID(project, id), 1);
    EXPECT_EQ(id, 1836);
}

TEST_F(GlobalResources, RemovingTheMasterSubscriber)
{
    TGlobalResource r;
    AddGlobalResource(project, r);
    AddGlobalResourceSubscriber(project, r.ID, 0);
    AddGlobalResourceSubscriber(project, r.ID, 2);
    GetGlobalResource(project, r.ID, r);
    r.Master = Dev(0).GetDeviceID();
    SetGlobalResource(project, r);
    adapt.calls.clear();
    ASSERT_EQ(RemoveGlobalResourceSubscriber(project, r.ID, 0), 1);
    GetGlobalResource(project, r.ID, r);
    EXPECT_EQ(r.Master, 0u);
    EXPECT_EQ(r.Count, 1);
    EXPECT_EQ(r.Subscribers[0].DeviceID, Dev(2).GetDeviceID());
    EXPECT_EQ(adapt.calls, (std::vector<std::string>{"logic 1836 0 1", "logic 1836 0 1", "logic 1836 0 1"}));
    EXPECT_EQ(RemoveGlobalResourceSubscriber(project, r.ID, 1), 0);
}

TEST_F(GlobalResources, DeleteResourceReleasesChannelsAndSubscriberLogics)
{
    TGlobalResource r;
    AddGlobalResource(project, r);
    AddGlobalResourceSubscriber(project, r.ID, 1);
    // Fader channel 149 of device 1 belongs to the resource.
    for (int i = 0; i < 149; ++i)
        AddFaderChannel(Dev(1));
    TFaderChannel channel;
    ASSERT_EQ(GetFaderChannel(Dev(1), 149, channel), 1);
    channel.GlobalResource = r.ID;
    SetFaderChannel(Dev(1), 149, channel);
    adapt.calls.clear();
    EXPECT_EQ(DeleteGlobalResource(project, r.ID), 1);
    GetFaderChannel(Dev(1), 149, channel);
    EXPECT_EQ(channel.GlobalResource, 0);
    EXPECT_EQ(adapt.calls.size(), 3u);
    EXPECT_TRUE(GetGlobalResourceIDs(Dev(2)).empty());
    EXPECT_EQ(DeleteGlobalResource(project, r.ID), 0);
}

// A module of type 10 with global-resource keys naming the given resources.
Bytes ResourceKeys(std::vector<std::uint8_t> resources, std::uint16_t moduleType = 10)
{
    Bytes module(6, 0);
    writeLE16(module, 0, moduleType);
    module[5] = static_cast<std::uint8_t>(resources.size());
    for (const std::uint8_t r : resources) {
        Bytes key(42, 0);
        key[1] = 1;
        key[31] = 14;
        key[32] = r;
        module.insert(module.end(), key.begin(), key.end());
    }
    return module;
}

TEST_F(GlobalResources, DeleteResourceClearsItsKeys)
{
    TGlobalResource r;
    AddGlobalResource(project, r);
    AddGlobalResource(project, r); // IDs 1 and 2
    Dev(2).SetSetupData(105, ResourceKeys({1, 2, 1}));
    DeleteGlobalResource(project, 1);
    const Bytes module = Dev(2).GetSetupData(105);
    EXPECT_EQ(module[6 + 32], 0);
    EXPECT_EQ(module[6 + 42 + 32], 2);
    EXPECT_EQ(module[6 + 84 + 32], 0);
}

TEST_F(GlobalResources, ClearRefsOfAReplacedImage)
{
    TGlobalResource r;
    AddGlobalResource(project, r);
    AddGlobalResourceSubscriber(project, r.ID, 1);
    AddFaderChannel(Dev(1));
    TFaderChannel channel;
    GetFaderChannel(Dev(1), 1, channel);
    channel.GlobalResource = 7;
    SetFaderChannel(Dev(1), 1, channel);
    Dev(1).SetSetupData(100, ResourceKeys({7, 0, 3}));
    Dev(2).SetSetupData(100, ResourceKeys({7}));
    adapt.calls.clear();
    ClearGlobalResourceRefs(project, 1);
    GetFaderChannel(Dev(1), 1, channel);
    EXPECT_EQ(channel.GlobalResource, 0);
    const Bytes module = Dev(1).GetSetupData(100);
    EXPECT_EQ(module[6 + 32], 0);
    EXPECT_EQ(module[6 + 84 + 32], 0);
    EXPECT_EQ(adapt.calls, std::vector<std::string>{"logic 1836 0 1"});
    // Other devices keep theirs.
    EXPECT_EQ(Dev(2).GetSetupData(100)[6 + 32], 7);
}

TEST_F(GlobalResources, ClearRefsWalksEveryModuleTypeWithoutASharedTable)
{
    const struct {
        std::uint16_t type;
        std::uint8_t left;
    } cases[] = {{10, 0}, {26, 0}, {40, 0}, {43, 0}, {20, 7}, {29, 7}};
    for (const auto& c : cases) {
        Dev(1).SetSetupData(101, ResourceKeys({7}, c.type));
        ClearGlobalResourceRefs(project, 1);
        EXPECT_EQ(Dev(1).GetSetupData(101)[6 + 32], c.left) << "module type " << c.type;
    }
}

TEST_F(GlobalResources, LargerLayoutIsRewritten)
{
    // Head 32 and entries 8: one resource with one subscriber.
    Bytes stored = {32, 8};
    Bytes head(32, 0);
    head[0] = 4;
    head[2] = 1;
    writeBE32(head, 6, 3);
    head[14] = 'R';
    stored.insert(stored.end(), head.begin(), head.end());
    const Bytes subscriber = {0, 0, 0, 3, 0x07, 0x2C, 0xEE, 0xEE};
    stored.insert(stored.end(), subscriber.begin(), subscriber.end());
    Dev(0).SetData(stGlobalRes, stored);
    FixGlobalResources(Dev(0));
    const Bytes fixed = Dev(0).GetData(stGlobalRes);
    ASSERT_EQ(fixed.size(), 2u + 30 + 6);
    EXPECT_EQ(fixed[0], 30);
    EXPECT_EQ(fixed[1], 6);
    TGlobalResource r;
    ASSERT_EQ(GetGlobalResource(Dev(0), 4, r), 1);
    EXPECT_EQ(r.Master, 3u);
    EXPECT_EQ(r.Label[0], 'R');
    EXPECT_EQ(r.Subscribers[0].LogicID, 0x072C);
    // The current and smaller layouts stay.
    const Bytes small = {20, 4, 1, 0, 0};
    Dev(0).SetData(stGlobalRes, small);
    FixGlobalResources(Dev(0));
    EXPECT_EQ(Dev(0).GetData(stGlobalRes), small);
}

TEST_F(GlobalResources, DamagedStructuresReadBounded)
{
    for (const Bytes& damaged : {Bytes{0, 0, 1, 2, 3}, Bytes{30, 6, 1, 0, 200}, Bytes{30, 0, 1}, Bytes{2, 6, 1, 1}}) {
        Dev(0).SetData(stGlobalRes, damaged);
        TGlobalResource r;
        EXPECT_EQ(GetGlobalResource(Dev(0), 1, r), 0);
        EXPECT_TRUE(GetGlobalResourceIDs(Dev(0)).empty());
        EXPECT_EQ(Dev(0).GetData(stGlobalRes), damaged);
    }
}

} // namespace
} // namespace kvr::model
