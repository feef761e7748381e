#include <gtest/gtest.h>

#include <cstring>

#include "adaptrecorder.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/superoutputs.h"
#include "recordinghost.h"

namespace kvr::model {
namespace {

using Bytes = std::vector<std::uint8_t>;

class GroupRecords : public ::testing::Test {
protected:
    test::RecordingHost host;
    test::AdaptRecorder adapt;
    TDevice dev; // one DSP card of variant 0: six SOFs
};

TEST_F(GroupRecords, FixGroupLogic)
{
    struct Case {
        bool present;
        Bytes stored;
        Bytes fixed;
    } cases[] = {
        {false, {}, Bytes(8, 0)},
        {true, {3, 0}, Bytes{3, 0, 0, 0, 0, 0, 0, 0}},
        {true, {3, 0, 2, 5, 0, 7, 0, 0}, {0, 0, 2, 5, 0, 0, 0, 0}},
        {true, {3, 4, 2, 5, 1, 1, 0, 0, 9}, {3, 4, 2, 5, 1, 1, 0, 0, 9}},
    };
    for (const Case& c : cases) {
        dev.SetData(stGroupLogic, {});
        if (c.present)
            dev.SetData(stGroupLogic, c.stored);
        FixGroupLogic(dev);
        EXPECT_EQ(dev.GetData(stGroupLogic), c.fixed);
    }
    EXPECT_EQ(GetGroupLogic(dev), (std::array<std::uint8_t, 8>{3, 4, 2, 5, 1, 1, 0, 0}));
    SetGroupLogic(dev, {1, 2, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(dev.GetData(stGroupLogic), (Bytes{1, 2, 0, 0, 0, 0, 0, 0, 9}));
}

TEST_F(GroupRecords, UserGroupsDefaultsAndOldRecordSize)
{
    FixUserGroups(dev);
    TUserGroups groups;
    ASSERT_EQ(GetUserGroups(dev, groups), 1);
    EXPECT_EQ(std::string(groups.Groups[7].Label.data()), "Group 8");
    EXPECT_EQ(dev.GetData(stUserGroups).size(), 6u + 8 * 20);

    // Records of 18 bytes (no autolock and display bytes) are widened to 20.
    Bytes old = {0x05, 0x81, 0xC0, 0x02, 0x80, 18};
    for (int g = 0; g < 8; ++g) {
        Bytes record(18, 0);
        record[0] = static_cast<std::uint8_t>('A' + g);
        writeBE16(record, 16, static_cast<std::uint16_t>(1000 + g));
        old.insert(old.end(), record.begin(), record.end());
    }
    dev.SetData(stUserGroups, old);
    FixUserGroups(dev);
    const Bytes fixed = dev.GetData(stUserGroups);
    ASSERT_EQ(fixed.size(), 166u);
    EXPECT_EQ(fixed[5], 20);
    GetUserGroups(dev, groups);
    EXPECT_EQ(groups.PinLogic1, 0x0581);
    EXPECT_EQ(groups.Options, 0x80);
    EXPECT_EQ(groups.Groups[3].Label[0], 'D');
    EXPECT_EQ(groups.Groups[3].PIN, 1003);
    EXPECT_EQ(groups.Groups[3].Autolock, 0);
    // Current layout: nothing to do.
    FixUserGroups(dev);
    EXPECT_EQ(dev.GetData(stUserGroups), fixed);
}

TEST_F(GroupRecords, DamagedUserGroupsReadBounded)
{
    for (const Bytes& damaged : {Bytes{1, 2, 3}, Bytes{0, 0, 0, 0, 0, 0, 'x'}, Bytes{0, 0, 0, 0, 0, 200, 'y', 'z'}}) {
        dev.SetData(stUserGroups, damaged);
        TUserGroups groups;
        EXPECT_EQ(GetUserGroups(dev, groups), 1);
        EXPECT_EQ(dev.GetData(stUserGroups), damaged);
    }
}

TEST_F(GroupRecords, SOFLayoutAndLimit)
{
    RunDSPFitting(dev, 0);
    for (int k = 0; k < 6; ++k) {
        int index = -1;
        TSOFRecord sof;
        ASSERT_EQ(AddSOF(dev, index, sof), 1) << k;
        EXPECT_EQ(index, k);
        EXPECT_EQ(sof.TotalSize, 20 + 16 * 8);
    }
    int index = -1;
    TSOFRecord sof;
    EXPECT_EQ(AddSOF(dev, index, sof), 0);
    const Bytes payload = dev.GetData(stSOF);
    EXPECT_EQ(payload.size(), 2u + 6 * 148);
    EXPECT_EQ(payload[0], 20);
    EXPECT_EQ(payload[1], 6);

    ASSERT_EQ(GetSOF(dev, 2, sof), 1);
    EXPECT_EQ(std::string(sof.Label.data()), "SOF 3");
    EXPECT_EQ(sof.Inputs[15].Count, 1);
    sof.Inputs[0].Count = 5;
    sof.Inputs[0].Sources[4] = {0x4002, {1, 2}, 0xC3E8};
    sof.Inputs[1].Count = 0;
    ASSERT_EQ(SetSOF(dev, 2, sof), 1);
    TSOFRecord back;
    ASSERT_EQ(GetSOF(dev, 2, back), 1);
    EXPECT_EQ(back.TotalSize, 20 + 2 + 30 + 2 + 14 * 8);
    EXPECT_EQ(back.Inputs[0].Sources[4].Logic, 0xC3E8);
    EXPECT_EQ(back.Inputs[0].Sources[4].Options, (std::array<std::uint8_t, 2>{1, 2}));
    ASSERT_EQ(GetSOF(dev, 3, back), 1);
    EXPECT_EQ(std::string(back.Label.data()), "SOF 4");

    // The fitting counts them against the limit.
    EXPECT_EQ(dev.FSOFLimit, 6);
    RunDSPFitting(dev, 0);
    EXPECT_EQ(dev.FSOFCount, 6);
    EXPECT_TRUE(IsLimitReached(dev, kLimitSOF));
}

TEST_F(GroupRecords, DeleteSOFClearsItsReferences)
{
    int index = 0;
    TSOFRecord sof;
    AddSOF(dev, index, sof);
    AddSOF(dev, index, sof);
    EXPECT_EQ(DeleteSOF(dev, 0), 1);
    EXPECT_EQ(adapt.calls, std::vector<std::string>{"audio 17664 0"});
    EXPECT_EQ(GetSOF(dev, 0, sof), 1);
    EXPECT_EQ(std::string(sof.Label.data()), "SOF 2");
    EXPECT_EQ(DeleteSOF(dev, 1), 0);
}

TEST_F(GroupRecords, FixSOFRemovesAnOlderLayout)
{
    dev.SetData(stSOF, Bytes{16, 6, 0, 2});
    FixSOF(dev);
    Bytes payload;
    EXPECT_FALSE(dev.GetData(stSOF, payload));
    dev.SetData(stSOF, Bytes{20, 6});
    FixSOF(dev);
    EXPECT_TRUE(dev.GetData(stSOF, payload));
}

TEST_F(GroupRecords, DamagedSOFsAreReadBounded)
{
    // A zero length, an overlong count and a truncated SOF.
    for (const Bytes& damaged : {Bytes{20, 6, 0, 0, 1, 2}, Bytes{20, 6, 0, 22, 0, 0, 'L', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                 0, 0, 0, 200, 0},
                                 Bytes{20, 6, 0, 148, 0}}) {
        dev.SetData(stSOF, damaged);
        TSOFRecord sof;
        GetSOF(dev, 0, sof);
        RunDSPFitting(dev, 0);
        EXPECT_EQ(dev.GetData(stSOF), damaged);
    }
}

} // namespace
} // namespace kvr::model
