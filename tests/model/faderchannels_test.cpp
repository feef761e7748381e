#include "model/faderchannels.h"
#include "model/recordtext.h"

#include <gtest/gtest.h>

using namespace kvr::model;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ChannelsNumbered(std::initializer_list<int> numbers)
{
    Bytes p;
    for (int n : numbers) {
        const Bytes r = EncodeFaderChannel(NewFaderChannel(n, false));
        p.insert(p.end(), r.begin(), r.end());
    }
    return p;
}

} // namespace

TEST(FaderChannel, RecordLayoutAndRoundTrip)
{
    TFaderChannel c = NewFaderChannel(7, true);
    c.Source = 0x4907;
    c.PoolSource = 0x0102;
    const Bytes b = EncodeFaderChannel(c);
    ASSERT_EQ(b.size(), 28u);
    EXPECT_EQ((Bytes{b.begin(), b.begin() + 4}), (Bytes{'N', 'e', 'w', 0}));
    EXPECT_EQ(b[4], 0x49);
    EXPECT_EQ(b[12], 0x3F); // ready signal OFF
    EXPECT_EQ(b[13], 0xFF);
    EXPECT_EQ(b[18], 1);    // first pool
    EXPECT_EQ(b[20], 7);
    EXPECT_EQ(b[24], 0x01);
    EXPECT_EQ(b[26], (481 + 7) >> 8);
    EXPECT_EQ(b[27], (481 + 7) & 0xFF);
    EXPECT_EQ(EncodeFaderChannel(DecodeFaderChannel(b)), b);
}

TEST(FaderChannel, FreeNumberTable)
{
    std::vector<int> allButSeven;
    for (int n = 1; n <= 149; ++n)
        if (n != 7)
            allButSeven.push_back(n);
    Bytes gap;
    for (int n : allButSeven) {
        const Bytes r = EncodeFaderChannel(NewFaderChannel(n, false));
        gap.insert(gap.end(), r.begin(), r.end());
    }
    Bytes full = gap;
    const Bytes seven = EncodeFaderChannel(NewFaderChannel(7, false));
    full.insert(full.end(), seven.begin(), seven.end());

    EXPECT_EQ(FreeFaderChannelNumber(Bytes{}), 1);
    EXPECT_EQ(FreeFaderChannelNumber(ChannelsNumbered({1, 2, 5})), 6);
    EXPECT_EQ(FreeFaderChannelNumber(ChannelsNumbered({148})), 149); // 149 is a valid number
    EXPECT_EQ(FreeFaderChannelNumber(ChannelsNumbered({149, 3})), 1);
    EXPECT_EQ(FreeFaderChannelNumber(gap), 7);
    EXPECT_EQ(FreeFaderChannelNumber(full), 255);
    EXPECT_EQ(FindFaderChannel(ChannelsNumbered({4, 9}), 9), std::optional<std::size_t>(28));
    EXPECT_FALSE(FindFaderChannel(ChannelsNumbered({4, 9}), 5).has_value());
}

TEST(Fader, GetPutAndMoveChain)
{
    Bytes p = {0xFF, 0, 5, 2, 10, 11, 3, 1, 2, 0};
    auto f = FindFader(p, 5);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->FaderChannel, 0); // 0xFF reads as none
    EXPECT_EQ(f->Count, 2);
    EXPECT_FALSE(FindFader(p, 1).has_value());

    TFader rec;
    rec.FaderChannel = 9;
    rec.Count = 3;
    rec.Chain = {1, 2, 3};
    PutFader(p, 5, rec);
    EXPECT_EQ(p, (Bytes{9, 0, 5, 3, 1, 2, 3, 3, 1, 2, 0}));
    PutFader(p, 8, rec);
    EXPECT_EQ(p.size(), 11u + 7u);
    EXPECT_EQ(p[11 + 2], 8);

    ASSERT_TRUE(MoveChainEntry(p, 5, 0, 2));
    EXPECT_EQ((Bytes{p.begin() + 4, p.begin() + 7}), (Bytes{2, 3, 1}));
    ASSERT_TRUE(MoveChainEntry(p, 5, 2, 0));
    EXPECT_EQ((Bytes{p.begin() + 4, p.begin() + 7}), (Bytes{1, 2, 3}));
    EXPECT_FALSE(MoveChainEntry(p, 5, 0, 3));

    TFader longChain;
    longChain.Count = 40; // the memory form holds 18
    PutFader(p, 9, longChain);
    EXPECT_EQ(FindFader(p, 9)->Count, 18);
}

TEST(PoolNames, RenameCutsToSevenNewKeepsTen)
{
    Bytes p;
    EXPECT_FALSE(PutPoolName(p, 2, "ABCDEFGHIJKL"));
    ASSERT_EQ(p.size(), 11u);
    EXPECT_EQ(FieldText(std::span(p).subspan(1, 10)), "ABCDEFGHIJ");
    EXPECT_FALSE(PutPoolName(p, 2, "0123456789"));
    EXPECT_EQ(FieldText(std::span(p).subspan(1, 10)), "0123456");
    EXPECT_FALSE(PutPoolName(p, 3, ""));
    EXPECT_EQ(p.size(), 22u); // appended even when empty
    EXPECT_TRUE(PutPoolName(p, 2, ""));
    EXPECT_EQ(p.size(), 11u);
    EXPECT_EQ(p[0], 3);
}
