#include "model/keyaccess.h"
#include "recordfixture.h"

using namespace kvr::model;
using namespace kvr::model::test;

namespace {

class KeyAccess : public RecordTest {};

TKeyRecord Key(int key, std::uint8_t label)
{
    TKeyRecord r{};
    r[0] = static_cast<std::uint8_t>(key);
    r[1] = label;
    return r;
}

} // namespace

TEST_F(KeyAccess, SharedTableIsCreatedAndFolded)
{
    device.SetSetupData(100, ModuleEntry(20, 0));
    TKeyRecord r;
    // Reading for a picture leaves the missing table missing and the device unchanged.
    device.SetChangedFlag(false);
    const auto before = device.GetAllData();
    r.fill(0xEE);
    EXPECT_EQ(ReadKeyFunction(device, 3, r, 100), 0);
    EXPECT_EQ(r, Key(3, 0));
    EXPECT_EQ(device.GetAllData(), before);
    EXPECT_FALSE(device.IsChanged());

    EXPECT_EQ(GetKeyFunction(device, 3, r, 100), 0);
    EXPECT_EQ(device.GetSetupData(98), (std::vector<std::uint8_t>{20, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r, Key(3, 0));

    SetKeyFunction(device, 3, Key(3, 'S'), 0, 100);
    EXPECT_EQ(GetKeyFunction(device, 8, r, 100), 0);
    EXPECT_EQ(r, Key(8, 'S')); // key 8 folds to table key 3
    SetKeyFunction(device, 8, Key(8, 'O'), 1, 100);
    EXPECT_EQ(GetKeyFunction(device, 8, r, 100), 1);
    EXPECT_EQ(r[1], 'O');
    // Both reads give the same records.
    for (int key : {3, 8}) {
        TKeyRecord read;
        EXPECT_EQ(ReadKeyFunction(device, key, read, 100), GetKeyFunction(device, key, r, 100)) << key;
        EXPECT_EQ(read, r) << key;
    }
    EXPECT_EQ(GetKeyFunction(device, 255, r, 100), 0);
}

TEST_F(KeyAccess, ReservedKeyStaysInItsTable)
{
    device.SetSetupData(100, ModuleEntry(29, 0));
    SetKeyFunction(device, 45, Key(45, 'R'), 0, 100);
    SetKeyFunction(device, 13, Key(13, 'T'), 0, 100);
    const auto table = device.GetSetupData(97);
    ASSERT_EQ(table.size(), 6u + 2 * 42);
    EXPECT_EQ(table[6], 45);
    EXPECT_EQ(table[6 + 42], 2);
    TKeyRecord r;
    GetKeyFunction(device, 45, r, 100);
    EXPECT_EQ(r[1], 'R');
}

TEST_F(KeyAccess, EmptyRecordDeletesTheKeysLogicSource)
{
    device.SetSetupData(105, ModuleEntry(10, 2));
    SetKeyFunction(device, 7, Key(7, 'K'), 1, 105);
    EXPECT_TRUE(adapted.empty());
    SetKeyFunction(device, 7, TKeyRecord{}, 1, 105);
    EXPECT_EQ(adapted, (std::vector<AdaptCall>{{1 + 32 * 2 + 7, 0, amDelete}}));
    EXPECT_EQ(device.GetSetupData(105).size(), 6u);

    device.SetSetupData(106, ModuleEntry(20, 0));
    adapted.clear();
    SetKeyFunction(device, 7, TKeyRecord{}, 0, 106);
    EXPECT_TRUE(adapted.empty());
}

TEST_F(KeyAccess, NoModuleIsMadeUpForAnEmptySlot)
{
    const auto before = device.GetAllData();
    SetKeyFunction(device, 1, Key(1, 'K'), 1, 150);
    EXPECT_TRUE(device.GetSetupData(150).empty());
    TKeyRecord r;
    EXPECT_EQ(GetKeyFunction(device, 1, r, 150), 0);
    EXPECT_EQ(r, Key(1, 0));
    EXPECT_EQ(device.GetAllData(), before);
}

TEST_F(KeyAccess, DummyDevice)
{
    device.SetSetupData(100, ModuleEntry(20, 0));
    MakeDummy(device);
    const auto before = device.GetAllData();
    TKeyRecord r = Key(1, 'x');
    EXPECT_EQ(GetKeyFunction(device, 1, r, 100), 0);
    EXPECT_EQ(r[1], 'x');
    SetKeyFunction(device, 1, Key(1, 'y'), 1, 100);
    EXPECT_EQ(device.GetAllData(), before);
}
