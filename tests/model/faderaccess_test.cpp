#include "model/faderaccess.h"
#include "model/keyaccess.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "model/summingbuses.h"
#include "recordfixture.h"

using namespace kvr::model;
using namespace kvr::model::test;

namespace {

class FaderAccess : public RecordTest {
protected:
    std::vector<int> Numbers()
    {
        std::vector<int> out;
        TFaderChannel c;
        for (int i = 0; GetFaderChannelByIndex(device, i, c) == 1; ++i)
            out.push_back(c.Number);
        return out;
    }
};

} // namespace

TEST_F(FaderAccess, AddStoresLabelPoolAndCount)
{
    // A fresh device has the pool "Pool 1".
    EXPECT_EQ(AddFaderChannel(device), 1);
    EXPECT_EQ(AddFaderChannel(device), 2);
    EXPECT_EQ(device.Header()[dh::FaderChannelCount], 2);
    TFaderChannel c;
    ASSERT_EQ(GetFaderChannel(device, 2, c), 1);
    EXPECT_EQ(c.PoolFlags & kFCHPoolMask, 1);
    EXPECT_EQ(c.ReadySignal, 0x3FFF);
    EXPECT_EQ(c.ChannelTimer, 483);
    EXPECT_EQ(GetFaderChannelName(device, 2), "New");
    EXPECT_EQ(GetFaderChannel(device, 9, c), 0);
    EXPECT_EQ(c.Number, 0);

    InsertFaderChannel(device, 0);
    InsertFaderChannel(device, 10); // past the end: appended
    EXPECT_EQ(Numbers(), (std::vector<int>{3, 1, 2, 4}));
    EXPECT_EQ(device.Header()[dh::FaderChannelCount], 4);
    MoveFaderChannel(device, 0, 3);
    EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 4, 3}));
}

TEST_F(FaderAccess, HeaderCountsAreStampedWithoutTouchingTheAreas)
{
    host.now = 1800000000;
    const auto areas = device.GetHeader();
    device.WriteHeaderCount(dh::FaderCount, 12);
    EXPECT_EQ(device.Header()[dh::FaderCount], 12);
    EXPECT_EQ(device.GetChangeTime(), 1800000000u);
    EXPECT_TRUE(device.IsChanged());
    for (std::size_t offset = dh::SetupCount; offset <= dh::StructCount; ++offset)
        device.WriteHeaderCount(offset, 0xAB);
    for (std::size_t offset = dh::SetupCount; offset <= dh::StructCount; ++offset)
        EXPECT_EQ(device.Header()[offset], areas[offset]) << offset;
    MakeDummy(device);
    device.WriteHeaderCount(dh::FaderCount, 4);
    EXPECT_EQ(device.Header()[dh::FaderCount], 12);
}

TEST_F(FaderAccess, NamesAndLabels)
{
    AddFaderChannel(device);
    SetFaderChannelName(device, 1, "Studio Left");
    EXPECT_EQ(GetFaderChannelName(device, 1), "Studio Left");
    TFaderChannel c;
    GetFaderChannel(device, 1, c);
    EXPECT_EQ(LabelText(c.ShortName), "Stud");
    TFaderChannelLabel none;
    SetFaderChannelLabel(device, 1, none);
    EXPECT_EQ(GetFaderChannelName(device, 1), "Stud");
    EXPECT_EQ(GetFaderChannelName(device, 2), "");
}

TEST_F(FaderAccess, DeleteCascade)
{
    for (int i = 0; i < 4; ++i)
        AddFaderChannel(device);
    TFaderChannel c;
    GetFaderChannel(device, 3, c);
    c.PoolFlags |= kFCHCleanFeed;
    SetFaderChannel(device, 3, c);
    // All four groups of the group logic point at channel 3.
    device.SetData(stGroupLogic, std::vector<std::uint8_t>{1, 3, 2, 3, 3, 3, 4, 3});
    // Faders 0 and 5 carry channel 3.
    auto header = device.GetHeader();
    header[dh::FaderCount] = 8;
    device.SetHeader(header, false);
    TFader f;
    f.FaderChannel = 3;
    f.GlobalPot = 2;
    f.Count = 2;
    f.Chain = {5, 6};
    SetFader(device, 0, f);
    SetFader(device, 5, f);
    f.FaderChannel = 2;
    SetFader(device, 6, f);
    // A type-10 module key and a fader module's shared key select channel 3.
    device.SetSetupData(100, ModuleEntry(10, 0));
    device.SetSetupData(101, ModuleEntry(20, 0));
    TKeyRecord key{};
    key[0] = 4;
    key[1] = 'K';
    key[31] = 15;
    key[32] = 31;
    key[36] = 3;
    SetKeyFunction(device, 4, key, 1, 100);
    key[31] = 31;
    key[32] = 0;
    SetKeyFunction(device, 7, key, 0, 101); // shared table key 2
    adapted.clear();

    DeleteFaderChannel(device, 3);

    EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(device.Header()[dh::FaderChannelCount], 3);
    EXPECT_EQ(device.GetData(stGroupLogic), (std::vector<std::uint8_t>{1, 0, 2, 0, 3, 0, 4, 0}));
    EXPECT_EQ(cleanFeedsDeleted, std::vector<int>{3});
    EXPECT_EQ(adapted, (std::vector<AdaptCall>{{484, 0, amDelete}, {634, 0, amDelete}, {784, 0, amDelete},
                                               {1758, 0, amDelete}}));
    TFaderChannelLabel label;
    EXPECT_EQ(GetFaderChannelLabel(device, 3, label), 0);
    for (int fader : {0, 5}) {
        ASSERT_EQ(GetFader(device, fader, f), 1);
        EXPECT_EQ(f.FaderChannel, 0); // 0xFF reads as none
        EXPECT_EQ(f.GlobalPot, 0);
        EXPECT_EQ(f.Count, 0);
    }
    ASSERT_EQ(GetFader(device, 6, f), 1);
    EXPECT_EQ(f.FaderChannel, 2);
    TKeyRecord r;
    ASSERT_EQ(GetKeyFunction(device, 4, r, 100), 1);
    EXPECT_EQ(r[36], 1); // the first channel left in the list
    GetKeyFunction(device, 2, r, 101);
    EXPECT_EQ(r[36], 1);
}

TEST_F(FaderAccess, DeleteOfTheLastChannelPointsKeysAtNone)
{
    AddFaderChannel(device);
    device.SetSetupData(100, ModuleEntry(10, 0));
    TKeyRecord key{};
    key[0] = 1;
    key[1] = 'K';
    key[31] = 15;
    key[32] = 31;
    key[36] = 1;
    SetKeyFunction(device, 1, key, 1, 100);
    DeleteFaderChannel(device, 1);
    TKeyRecord r;
    GetKeyFunction(device, 1, r, 100);
    EXPECT_EQ(r[36], 0);
    EXPECT_EQ(device.Header()[dh::FaderChannelCount], 0);
}

TEST_F(FaderAccess, RemovingAPoolClearsItsChannelsUpTo149)
{
    SetPoolName(device, 2, "Three");
    for (int n = 1; n <= 149; ++n)
        ASSERT_EQ(AddFaderChannel(device), n);
    TFaderChannel c;
    for (int n : {5, 149}) {
        GetFaderChannel(device, n, c);
        c.PoolFlags = 0x20 | 3; // stereo, pool 2
        SetFaderChannel(device, n, c);
    }
    EXPECT_EQ(AddFaderChannel(device), 255);
    SetPoolName(device, 2, "");
    for (int n : {5, 149}) {
        GetFaderChannel(device, n, c);
        EXPECT_EQ(c.PoolFlags, 0x20) << n;
    }
    std::string name;
    EXPECT_EQ(GetPoolName(device, 2, name), 0);
    EXPECT_EQ(GetPoolName(device, 0, name), 1);
    EXPECT_EQ(name, "Pool 1");
}

TEST_F(FaderAccess, PoolNamesDropTheOldStructureUnstamped)
{
    device.SetData(stOldPoolNames, std::vector<std::uint8_t>{1, 2, 3});
    SetPoolName(device, 1, "ABCDEFGHIJ");
    EXPECT_TRUE(device.GetData(stOldPoolNames).empty());
    std::string name;
    ASSERT_EQ(GetPoolName(device, 1, name), 1);
    EXPECT_EQ(name, "ABCDEFG");
    ASSERT_EQ(GetPoolNameStr(device, 1, name), 1);
    EXPECT_EQ(name, "ABCDEFGHIJ");
    SetPoolName(device, 1, "XY  ");
    ASSERT_EQ(GetPoolNameStr(device, 1, name), 1);
    EXPECT_EQ(name, "XY");
}

TEST_F(FaderAccess, RemoveFaderModuleRenumbers)
{
    device.SetSetupData(100, ModuleEntry(20, 0));
    device.SetSetupData(110, ModuleEntry(23, 0));
    device.SetSetupData(102, ModuleEntry(21, 1));
    device.SetSetupData(112, ModuleEntry(28, 1));
    device.SetSetupData(120, ModuleEntry(29, 2));
    device.SetSetupData(130, ModuleEntry(28, 2));
    RemoveFaderModule(device, 102);
    EXPECT_TRUE(device.GetSetupData(102).empty());
    EXPECT_TRUE(device.GetSetupData(112).empty());
    EXPECT_EQ(device.GetSetupData(120)[4], 1);
    EXPECT_EQ(device.GetSetupData(130)[4], 1);
    EXPECT_EQ(device.GetSetupData(110)[4], 0);
    EXPECT_EQ(device.Header()[dh::FaderCount], 8);
    EXPECT_EQ(trims, 1);
}

TEST_F(FaderAccess, MoveFaderFunction)
{
    TFader f;
    f.Count = 3;
    f.Chain = {1, 2, 3};
    SetFader(device, 2, f);
    MoveFaderFunction(device, 2, 0, 2);
    GetFader(device, 2, f);
    EXPECT_EQ((std::vector<int>{f.Chain[0], f.Chain[1], f.Chain[2]}), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(GetFader(device, 3, f), 0);
    EXPECT_EQ(f.Fader, 3);
}

TEST_F(FaderAccess, DeletingACleanFeedChannelDeletesItsCleanFeed)
{
    AddFaderChannel(device);
    AddFaderChannel(device);
    TFaderChannel c;
    GetFaderChannel(device, 2, c);
    c.PoolFlags |= kFCHCleanFeed;
    SetFaderChannel(device, 2, c);
    ASSERT_EQ(AddCleanFeed(device, 2), 1);
    TBusRecord feed;
    ASSERT_EQ(GetCleanFeed(device, 0, feed), 1);
    DeleteFaderChannel(device, 2);
    EXPECT_EQ(GetCleanFeed(device, 0, feed), 0);
    EXPECT_EQ(device.Header()[dh::CleanFeedCount], 0);
}
