#include "model/potnames.h"
#include "model/recordtext.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kvr::model;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::array<std::uint8_t, 10> Name10(const char* text)
{
    std::array<std::uint8_t, 10> n{};
    std::memcpy(n.data(), text, std::min<std::size_t>(std::strlen(text), 10));
    return n;
}

} // namespace

TEST(PotNames, SlotsDefaultsAndSharing)
{
    struct Case {
        int id, slot;
        const char* defaultName;
    };
    const Case cases[] = {
        {1, 0, "Pot. 1"}, {121, 120, "Balance 1"}, {122, 120, "Balance 1"},
        {123, 122, "Balance 2"}, {124, 122, "Balance 2"}, {120, 119, "Pot. 120"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PotSlot(c.id), c.slot) << c.id;
        std::string out;
        EXPECT_EQ(ReadPotName({}, c.id, out), 0);
        EXPECT_EQ(out, c.defaultName);
    }
    Bytes p;
    PutPotName(p, 122, Name10("Bal Studio"));
    ASSERT_EQ(p.size(), 1244u);
    std::string out;
    EXPECT_EQ(ReadPotName(p, 121, out), 1);
    EXPECT_EQ(out, "Bal Studio"); // ten characters, unterminated in the block
}

TEST(GlobalNames, PotsAndLogics)
{
    std::string out;
    EXPECT_EQ(ReadGlobalPotName({}, 3, out), 0);
    EXPECT_EQ(out, "Global Pot. 3");
    Bytes pots;
    PutGlobalPotName(pots, 20, "Last pot name of 16+");
    ASSERT_EQ(pots.size(), 320u);
    EXPECT_EQ(ReadGlobalPotName(pots, 20, out), 1);
    EXPECT_EQ(out, "Last pot name of");
    PutGlobalPotName(pots, 0, "x");
    PutGlobalPotName(pots, 21, "x");
    EXPECT_EQ(pots.size(), 320u);

    EXPECT_EQ(ReadGlobalLogicName({}, 7), "GL 8");
    EXPECT_EQ(ReadGlobalLogicName({}, 200), "");
    Bytes logics;
    PutGlobalLogicName(logics, 7, " On Air ");
    ASSERT_EQ(logics.size(), 1600u);
    EXPECT_EQ(ReadGlobalLogicName(logics, 7), "On Air");
    PutGlobalLogicName(logics, 7, "");
    EXPECT_EQ(ReadGlobalLogicName(logics, 7), "GL 8");
    const Bytes shortBlock(100, 'x');
    EXPECT_EQ(ReadGlobalLogicName(shortBlock, 1), "GL 2");
}

TEST(SourceLists, PutGetDropAndClamp)
{
    Bytes p;
    EXPECT_FALSE(FindSourceList(p, 3).has_value());
    EXPECT_EQ(LabelText(DefaultSourceList(3).Label), "Source List 4");
    TSourceList s = DefaultSourceList(3);
    s.Count = 2;
    s.Entries[1].Left = 0x4002;
    s.Entries[1].Right = 0x4003;
    SetLabel(s.Entries[1].Text, "PGM");
    PutSourceList(p, 3, s);
    TSourceList other = DefaultSourceList(5);
    PutSourceList(p, 5, other);
    ASSERT_EQ(p.size(), 18u + 24u + 18u);
    EXPECT_EQ(p[18 + 12], 0x40);
    auto back = FindSourceList(p, 3);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Entries[1].Right, 0x4003);
    EXPECT_EQ(LabelText(back->Entries[1].Text), "PGM");

    TSourceList empty;
    empty.List = 3;
    PutSourceList(p, 3, empty);
    EXPECT_FALSE(FindSourceList(p, 3).has_value());
    EXPECT_TRUE(FindSourceList(p, 5).has_value());

    Bytes big(18 + 12 * 60, 0);
    big[16] = 1;
    big[17] = 60;
    EXPECT_EQ(FindSourceList(big, 1)->Count, 50);
    big[17] = 61; // count beyond the payload: the record is not taken
    EXPECT_FALSE(FindSourceList(big, 1).has_value());
}

TEST(NetworkSettings, DefaultsAndFlags)
{
    TNetworkSettings s;
    s.Flags = 0x1;
    ReadNetworkSettings({}, s);
    EXPECT_EQ(s.Mask, 0xFFFFFF00u);
    EXPECT_EQ(LabelText(s.Sender), "Enter email account addres here");
    EXPECT_EQ(s.Flags, 0x80000001u);

    s.IP = 0x0A000005;
    s.Flags = 0x80000001u;
    Bytes stored = EncodeNetworkSettings(s);
    ASSERT_EQ(stored.size(), 152u);
    EXPECT_EQ(s.Flags, 0x80000000u);
    EXPECT_EQ((Bytes{stored.begin(), stored.begin() + 4}), (Bytes{10, 0, 0, 5}));
    EXPECT_EQ((Bytes{stored.end() - 4, stored.end()}), (Bytes{0x80, 0, 0, 0}));

    s.IP = 0;
    s.Flags = 0;
    stored = EncodeNetworkSettings(s);
    EXPECT_EQ(stored[148], 0x80);
    TNetworkSettings back;
    ReadNetworkSettings(stored, back);
    EXPECT_EQ(back.Flags, 0x80000000u);
}

TEST(GlobalLogicAssign, RemoveKeepsOrderAndClamps)
{
    Bytes p;
    AppendGLSource(p, 3, 0xC001);
    AppendGLSource(p, 12, 0xC002);
    AppendGLSource(p, 5, 0xC003);
    EXPECT_EQ(ReadGLSource(p, 12), 0xC002);
    p = RemoveGLSource(p, 12);
    EXPECT_EQ(p, (Bytes{2, 0, 3, 0, 0xC0, 0x01, 5, 0, 0xC0, 0x03}));
    EXPECT_EQ(ReadGLSource(p, 12), 0);

    const Bytes damaged = {90, 0, 4, 0, 0x12, 0x34, 7};
    EXPECT_EQ(ReadGLSource(damaged, 4), 0x1234);
    EXPECT_EQ(ReadGLSource(damaged, 7), 0);
    EXPECT_EQ(RemoveGLSource(damaged, 9), (Bytes{1, 0, 4, 0, 0x12, 0x34}));
}
