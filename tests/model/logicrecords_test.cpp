#include "model/logicrecords.h"
#include "model/recordtext.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kvr::model;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<std::string> FunctionLabels(const Bytes& p)
{
    std::vector<std::string> out;
    for (const auto& r : LogicFunctionRecords(p))
        out.push_back(LabelText(DecodeLogicFunction(std::span(p).subspan(r.offset, r.length)).Label));
    return out;
}

} // namespace

TEST(LogicFunction, LengthFollowsHeadAndRoundTrips)
{
    TLogicFunction f;
    f.Head = 0xC3;
    f.InterlockBus = 4;
    SetLabel(f.Label, "ABCDEFGHIJ");
    f.Source[0] = 0xC3A3;
    f.Source[1] = 0x0001;
    f.Source[2] = 0x3FFF;
    const Bytes bytes = EncodeLogicFunction(f);
    ASSERT_EQ(bytes.size(), 18u);
    EXPECT_EQ(bytes[12], 0xC3);
    EXPECT_EQ(bytes[13], 0xA3);
    const TLogicFunction back = DecodeLogicFunction(bytes);
    EXPECT_EQ(back.Source[2], 0x3FFF);
    EXPECT_EQ(LabelText(back.Label), "ABCDEFGHIJ");
    EXPECT_EQ(EncodeLogicFunction(back), bytes);
}

TEST(LogicFunction, AddLabelsCountPlusOneAndDeleteDoesNotRenumber)
{
    Bytes p;
    for (int i = 0; i < 3; ++i)
        AppendLogicFunction(p);
    EXPECT_EQ(FunctionLabels(p), (std::vector<std::string>{"Logic 1", "Logic 2", "Logic 3"}));
    EraseRecord(p, LogicFunctionRecords(p), 1);
    AppendLogicFunction(p);
    EXPECT_EQ(FunctionLabels(p), (std::vector<std::string>{"Logic 1", "Logic 3", "Logic 3"}));
    AppendLogicFunction(p);
    EXPECT_EQ(FunctionLabels(p).back(), "Logic 4");
}

TEST(LogicFunction, ReplaceKeepsPositionWithNewLength)
{
    Bytes p;
    for (int i = 0; i < 3; ++i)
        AppendLogicFunction(p);
    TLogicFunction f;
    f.Head = 2;
    SetLabel(f.Label, "X");
    ReplaceLogicFunction(p, 1, &f);
    EXPECT_EQ(p.size(), 12u + 16u + 12u);
    EXPECT_EQ(FunctionLabels(p), (std::vector<std::string>{"Logic 1", "X", "Logic 3"}));
    ReplaceLogicFunction(p, 9, &f); // past the end: nothing
    EXPECT_EQ(p.size(), 40u);
    ReplaceLogicFunction(p, 0, nullptr);
    EXPECT_EQ(FunctionLabels(p), (std::vector<std::string>{"X", "Logic 3"}));
}

TEST(LogicFunction, MoveTable)
{
    struct Case {
        std::size_t from, to;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {0, 2, {"Logic 2", "Logic 3", "Logic 1"}},
        {2, 0, {"Logic 3", "Logic 1", "Logic 2"}},
        {1, 2, {"Logic 1", "Logic 3", "Logic 2"}},
        {1, 1, {"Logic 1", "Logic 2", "Logic 3"}},
        {0, 3, {"Logic 1", "Logic 2", "Logic 3"}}, // outside: unchanged
    };
    for (const auto& c : cases) {
        Bytes p;
        for (int i = 0; i < 3; ++i)
            AppendLogicFunction(p);
        TLogicFunction big;
        big.Head = 5; // records of different lengths
        SetLabel(big.Label, "Logic 2");
        ReplaceLogicFunction(p, 1, &big);
        MoveRecord(p, LogicFunctionRecords(p), c.from, c.to);
        EXPECT_EQ(FunctionLabels(p), c.labels) << c.from << "->" << c.to;
        EXPECT_EQ(p.size(), 12u + 22u + 12u);
    }
}

TEST(LogicFunction, TornTailIsNeverReadAndStays)
{
    Bytes p;
    AppendLogicFunction(p);
    p.push_back(0x3F); // a head promising 63 sources with nothing behind it
    EXPECT_EQ(LogicFunctionRecords(p).size(), 1u);
    AppendLogicFunction(p);
    EXPECT_EQ(LogicFunctionRecords(p).size(), 2u);
    EXPECT_EQ(p.back(), 0x3F);
}

TEST(LogicDelay, AddNumbersFromLengthAndCutsRemainder)
{
    Bytes p(16 + 5, 0);
    AppendLogicDelay(p);
    ASSERT_EQ(p.size(), 32u);
    const TLogicDelay d = DecodeLogicDelay(std::span(p).subspan(16, 16));
    EXPECT_EQ(LabelText(d.Label), "Delay 2");
    EXPECT_EQ(d.Delay, 10);
    EXPECT_EQ(d.ImpulseLength, 10);
    EXPECT_EQ(d.Source, 0);
    EXPECT_EQ(EncodeLogicDelay(d), Bytes(p.begin() + 16, p.end()));
}

TEST(Script, PackingStoresLittleEndianIDsAndFiller)
{
    TScript s;
    SetLabel(s.Label, "Script 1");
    s.Count = 255;
    s.Source = 0xC123;
    for (std::size_t k = 0; k < 255; ++k) {
        s.Commands[k].Length = 8;
        s.Commands[k].ID = 0x1A2B3C00u + static_cast<std::uint32_t>(k);
        s.Commands[k].Data = {1, 2, 3, 4, 5, 6, 7, static_cast<std::uint8_t>(k)};
    }
    const Bytes bytes = EncodeScript(s);
    ASSERT_EQ(bytes.size(), 14u + 16u * 255u);
    EXPECT_EQ(bytes[11], 255);
    EXPECT_EQ(bytes[12], 0xC1);
    // First command at 14: length, spare, ID least significant byte first.
    EXPECT_EQ((Bytes{bytes.begin() + 14, bytes.begin() + 20}), (Bytes{8, 0, 0x00, 0x3C, 0x2B, 0x1A}));
    // Second command at a 14-byte stride.
    EXPECT_EQ(bytes[14 + 14 + 2], 0x01);
    // Filler after the commands is zero.
    for (std::size_t i = 14 + 14 * 255; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    const TScript back = DecodeScript(bytes);
    EXPECT_EQ(back.Count, 255);
    EXPECT_EQ(back.Source, 0xC123);
    EXPECT_EQ(back.Commands[254].ID, 0x1A2B3CFEu);
    EXPECT_EQ(back.Commands[254].Data[7], 254);
    EXPECT_EQ(EncodeScript(back), bytes);
}

TEST(Script, WalkAndTotalsAreBounded)
{
    Bytes p;
    AppendScript(p);
    AppendScript(p);
    TScript s = DecodeScript(std::span(p).subspan(14, 14));
    EXPECT_EQ(LabelText(s.Label), "Script 2");
    s.Count = 3;
    ReplaceScript(p, 0, s);
    EXPECT_EQ(ScriptRecords(p).size(), 2u);
    EXPECT_EQ(ScriptCommandTotal(p), 3);
    Bytes torn = p;
    torn.resize(torn.size() + 14, 0);
    torn.back() = 0;
    torn[torn.size() - 14 + 11] = 200; // a head that promises more than there is
    EXPECT_EQ(ScriptRecords(torn).size(), 2u);
    EXPECT_EQ(ScriptCommandTotal(torn), 3);
}

TEST(LevelDetect, MemoryFormSwapsLevelAndStereo)
{
    Bytes stored = {'L', 'e', 'v', 0, 0, 0, 0, 0, 0, 0, 0x21, 0x05, 33, 1, 0x00, 0x64, 0xF6, 100, 20, 0x77};
    const TLevelDetect l = DecodeLevelDetect(stored);
    EXPECT_EQ(l.Source, 0x2105);
    EXPECT_EQ(l.Level, 33);
    EXPECT_EQ(l.Stereo, 1);
    EXPECT_EQ(l.HoldTime, 100);
    EXPECT_EQ(l.Correlation, -10);
    EXPECT_EQ(l.Attack, 100);
    EXPECT_EQ(l.Release, 20);
    Bytes out(20, 0xAA);
    EncodeLevelDetect(l, out);
    stored[19] = 0; // reserved is always written 0
    EXPECT_EQ(out, stored);
}

TEST(LevelDetect, AddStartsBlockAndLabelsFromLength)
{
    Bytes p;
    ASSERT_TRUE(AppendLevelDetect(p));
    ASSERT_TRUE(AppendLevelDetect(p));
    ASSERT_EQ(p.size(), 42u);
    EXPECT_EQ(p[0], 20);
    const TLevelDetect l = DecodeLevelDetect(std::span(p).subspan(22, 20));
    EXPECT_EQ(LabelText(l.Label), "Level 2");
    EXPECT_EQ(l.HoldTime, 10);
    EXPECT_EQ(l.Release, 20);

    Bytes damaged = {0, 0, 1, 2, 3};
    EXPECT_FALSE(AppendLevelDetect(damaged));
    EXPECT_EQ(damaged, (Bytes{0, 0, 1, 2, 3}));
    EXPECT_EQ(LevelDetectList(damaged).count(damaged.size()), 0u);
}

TEST(LevelDetect, LoadConversion)
{
    Bytes old(32);
    for (std::size_t i = 0; i < old.size(); ++i)
        old[i] = static_cast<std::uint8_t>(i + 1);
    const Bytes converted = ConvertOldLevelDetects(old);
    ASSERT_EQ(converted.size(), 42u);
    EXPECT_EQ(converted[0], 20);
    EXPECT_EQ(converted[1], 0);
    EXPECT_EQ(converted[2 + 15], 16);
    EXPECT_EQ((Bytes{converted.begin() + 18, converted.begin() + 22}), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(converted[22], 17);

    Bytes seventeen = {17, 0};
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 17; ++i)
            seventeen.push_back(static_cast<std::uint8_t>(0x40 + i));
    const auto widened = WidenLevelDetects(seventeen);
    ASSERT_TRUE(widened.has_value());
    ASSERT_EQ(widened->size(), 42u);
    for (int r = 0; r < 2; ++r) {
        const std::size_t at = 2 + 20 * static_cast<std::size_t>(r);
        EXPECT_EQ((*widened)[at + 16], 0x50);
        EXPECT_EQ((*widened)[at + 17], 0);
        EXPECT_EQ((*widened)[at + 18], 20);
        EXPECT_EQ((*widened)[at + 19], 0);
    }
    EXPECT_FALSE(WidenLevelDetects(*widened).has_value());
    EXPECT_FALSE(WidenLevelDetects(Bytes{0, 0, 9}).has_value());
}

TEST(MuteLogicNames, DefaultsDifferBetweenReadAndWrite)
{
    EXPECT_EQ(ReadMuteLogicName({}, 2), "MuteLogic 3");
    Bytes p;
    std::array<std::uint8_t, 16> name{};
    std::memcpy(name.data(), "0123456789ABCDEF", 16);
    PutMuteLogicName(p, 0, name);
    ASSERT_EQ(p.size(), 80u);
    EXPECT_EQ(ReadMuteLogicName(p, 0), "0123456789ABCDEF");
    EXPECT_EQ(ReadMuteLogicName(p, 1), "Mute Logic 2");
    EXPECT_EQ(ReadMuteLogicName(p, 4), "Mute Logic 5");
}
