#include "model/gporouting.h"

#include <gtest/gtest.h>

using namespace kvr::model;
using Bytes = std::vector<std::uint8_t>;

TEST(GPORouting, IDTable)
{
    struct Case {
        int cardType, slot, number, id;
    };
    const Case cases[] = {
        {222, 12, 3, 41}, {222, 12, 2, -1}, {111, 0, 1, 0}, {111, 0, 7, 3},
        {311, 5, 1, 20}, {311, 5, 4, -1}, {311, 5, 6, 0x8502}, {311, 5, 7, 0x8503},
        {311, 5, 5, 21}, {311, 5, 14, 0x8506}, {122, 27, 1, 2 * 32 + 7 * 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GPOIDFor(c.cardType, c.slot, c.number), c.id) << c.cardType << "/" << c.slot << "/" << c.number;
}

TEST(GPORouting, DefaultsAndFirstPart)
{
    EXPECT_EQ(ReadGPORouting({}, 41), 0xC000);
    EXPECT_EQ(ReadGPORouting({}, 0x8502), 0xC000);
    Bytes p;
    PutGPORouting(p, 41, 0x4123);
    ASSERT_EQ(p.size(), 192u);
    EXPECT_EQ(ReadGPORouting(p, 41), 0x4123);
    EXPECT_EQ(ReadGPORouting(p, 40), 0xC000);
    PutGPORouting(p, 41, 0xC000);
    EXPECT_EQ(p.size(), 192u); // never shortened
}

TEST(GPORouting, CardRecordsComeAndGo)
{
    Bytes p;
    PutGPORouting(p, 0x8502, 0xC000); // no source, no record, still written
    EXPECT_EQ(p.size(), 192u);
    PutGPORouting(p, 0x8502, 0xC123);
    ASSERT_EQ(p.size(), 192u + 17u);
    EXPECT_EQ(p[192], 5);
    EXPECT_EQ(ReadGPORouting(p, 0x8502), 0xC123);
    EXPECT_EQ(ReadGPORouting(p, 0x8503), 0xC000);
    PutGPORouting(p, 0x8503, 0x0124);
    PutGPORouting(p, 0x8502, 0xC000);
    EXPECT_EQ(p.size(), 192u + 17u); // entry 3 still has a source
    PutGPORouting(p, 0x8503, 0x4000);
    EXPECT_EQ(p.size(), 192u);
}

TEST(GPORouting, ShortAndDuplicatedStructures)
{
    const Bytes shortStruct = {0x12, 0x34, 0x56};
    EXPECT_EQ(ReadGPORouting(shortStruct, 0), 0x1234);
    EXPECT_EQ(ReadGPORouting(shortStruct, 1), 0xC000);
    EXPECT_EQ(ReadGPORouting(shortStruct, 95), 0xC000);
    Bytes p = shortStruct;
    PutGPORouting(p, 95, 0x0001);
    ASSERT_EQ(p.size(), 192u);
    EXPECT_EQ(ReadGPORouting(p, 0), 0x1234);
    EXPECT_EQ(ReadGPORouting(p, 1), 0xC000);

    Bytes twice(192, 0);
    for (int r = 0; r < 2; ++r) {
        twice.push_back(5);
        for (int e = 0; e < 8; ++e) {
            twice.push_back(0xC0);
            twice.push_back(static_cast<std::uint8_t>(r + 1));
        }
    }
    twice.push_back(9); // torn tail
    PutGPORouting(twice, 0x8500, 0xC077);
    EXPECT_EQ(twice.size(), 192u + 17u + 1u);
    EXPECT_EQ(ReadGPORouting(twice, 0x8500), 0xC077);
    EXPECT_EQ(ReadGPORouting(twice, 0x8501), 0xC001);
}
