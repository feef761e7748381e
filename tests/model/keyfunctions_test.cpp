#include "model/keyfunctions.h"

#include <gtest/gtest.h>

using namespace kvr::model;
using Bytes = std::vector<std::uint8_t>;

namespace {

TKeyRecord Key(int key, std::uint8_t label = 'K')
{
    TKeyRecord r{};
    r[0] = static_cast<std::uint8_t>(key);
    r[1] = label;
    return r;
}

Bytes Module(int type, int number)
{
    return Bytes{static_cast<std::uint8_t>(type & 0xFF), static_cast<std::uint8_t>(type >> 8), 0, 0,
                 static_cast<std::uint8_t>(number), 0};
}

std::vector<int> Keys(const Bytes& entry)
{
    std::vector<int> keys;
    for (std::size_t i = 0; i < KeyRecordCount(entry); ++i)
        keys.push_back(entry[kModuleHead + kKeyRecordSize * i]);
    return keys;
}

} // namespace

TEST(KeyFunctions, ModuleTypes)
{
    EXPECT_EQ(ModuleType(Bytes{0x1D, 0x00}), 29); // little-endian
    EXPECT_EQ(ModuleKeyCount(12), 57);
    EXPECT_EQ(ModuleKeyCount(35), -1);
    EXPECT_EQ(ModuleKeyCount(99), 0);
}

TEST(KeyFunctions, FoldingTable)
{
    struct Case {
        int type, key;
        int table, folded;
    };
    const Case cases[] = {
        {20, 3, 98, 3}, {20, 8, 98, 3}, {21, 19, 98, 4}, {23, 7, 99, 3}, {23, 16, 99, 16},
        {28, 5, 96, 1}, {28, 8, 96, 8}, {29, 13, 97, 2}, {29, 45, 97, 45},
    };
    for (const auto& c : cases) {
        const auto t = SharedKeyTableOf(c.type);
        ASSERT_TRUE(t.has_value()) << c.type;
        EXPECT_EQ(t->SetupID, c.table) << c.type;
        EXPECT_EQ(FoldKey(*t, c.key), c.folded) << c.type << "/" << c.key;
    }
    EXPECT_FALSE(SharedKeyTableOf(10).has_value());
}

TEST(KeyFunctions, PutReplacesAndCleans)
{
    Bytes e = Module(10, 2);
    PutKeyRecord(e, 4, Key(4), std::nullopt);
    PutKeyRecord(e, 1, Key(1), std::nullopt);
    PutKeyRecord(e, 4, Key(4, 'Z'), std::nullopt);
    EXPECT_EQ(Keys(e), (std::vector<int>{1, 4}));
    EXPECT_EQ(FindKeyRecord(e, 4).value()[1], 'Z');
    EXPECT_EQ(e.size(), kModuleHead + 2 * kKeyRecordSize);
    PutKeyRecord(e, 4, TKeyRecord{}, std::nullopt); // empty record removes the key
    EXPECT_EQ(Keys(e), (std::vector<int>{1}));
    PutKeyRecord(e, 50, Key(50), std::nullopt);      // above 49 keys of type 10
    EXPECT_EQ(Keys(e), (std::vector<int>{1}));

    Bytes thirteen = Module(13, 0);
    PutKeyRecord(thirteen, 29, Key(29), std::nullopt);
    PutKeyRecord(thirteen, 30, Key(30), std::nullopt);
    EXPECT_EQ(Keys(thirteen), (std::vector<int>{29}));

    Bytes table;
    PutKeyRecord(table, 45, Key(45), 29); // reserved key of table 97
    PutKeyRecord(table, 10, Key(10), 29);
    EXPECT_EQ(ModuleType(table), 29);
    EXPECT_EQ(Keys(table), (std::vector<int>{45, 10}));

    Bytes none = Module(35, 0);
    PutKeyRecord(none, 0, Key(0), std::nullopt);
    EXPECT_TRUE(Keys(none).empty());
}

TEST(KeyFunctions, DamagedCountIsClamped)
{
    Bytes e = Module(10, 0);
    e[5] = 200;
    const TKeyRecord k = Key(3);
    e.insert(e.end(), k.begin(), k.end());
    e.push_back(7);
    EXPECT_EQ(KeyRecordCount(e), 1u);
    EXPECT_TRUE(FindKeyRecord(e, 3).has_value());
    EXPECT_FALSE(FindKeyRecord(e, 7).has_value());
}
