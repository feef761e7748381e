// Device error texts from "Err.Err": with and without the file, hostile lines, reloading.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "diagnostics/errmessages.h"
#include "diagnostics/platform.h"
#include "formatter_fixture.h"

namespace {

// A control block as the wire records hold it.
struct Block {
    std::uint8_t Len = 8;
    std::uint32_t ID = 0;
    std::array<std::uint8_t, 256> Data{};
};

// Device error block: code in bytes 6-7, parameters in 10-11 and 12-13 (data 0-1, 4-5, 6-7).
Block DeviceError(std::uint32_t ID, unsigned Code, unsigned P1, unsigned P2)
{
    Block b;
    b.ID = ID;
    b.Data[0] = static_cast<std::uint8_t>(Code >> 8);
    b.Data[1] = static_cast<std::uint8_t>(Code);
    b.Data[4] = static_cast<std::uint8_t>(P1 >> 8);
    b.Data[5] = static_cast<std::uint8_t>(P1);
    b.Data[6] = static_cast<std::uint8_t>(P2 >> 8);
    b.Data[7] = static_cast<std::uint8_t>(P2);
    return b;
}

class ErrMessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = kvrtest::FreshTestDir("kvr_errerr");
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    void WriteErrErr(const std::string& Text)
    {
        std::ofstream(Dir / "Err.Err", std::ios::binary | std::ios::trunc) << Text;
    }

    std::filesystem::path Dir;
};

TEST_F(ErrMessagesTest, WithoutFileEveryCodeGetsTheGeneratedText)
{
    ErrorMessages table(Dir.string());
    EXPECT_EQ(table.FileName(), Dir.string() + "/Err.Err");
    // Card type 100 is model 848.
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F10000C, 0x110, 3, 100)),
              "Module   12 Code 0110: Parameter1 3 Parameter2 848");
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x12340005, 0x110, 1, 2)), "Module    5 Code 0000: Parameter1 1 Parameter2 2");
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F10FFFF, 0x311, 0xFFFF, 0)),
              "Module 65535 Code 0311: Message: Parameter memory loaded");
    EXPECT_EQ(table.GetErrorString(0x110), "");
}

TEST_F(ErrMessagesTest, LinesFormattedWithTheParameters)
{
    WriteErrErr("0110: Card %d is a model %d card\n"
                "\n"
                "0311: Parameter memory %d of %d\r\n"
                "0x0120: Short line %u\n"
                "junk line without code\n"
                "0130: " + std::string(100, 'y') + " %d end\n"
                "0110: Card %d (model %d) failed\n"
                "2A:last line %x without line end");
    ErrorMessages table(Dir.string());
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F10000C, 0x110, 3, 100)),
              "Module   12 Code 0110: Card 3 (model 848) failed");
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F100001, 0x311, 2, 4)), "Module    1 Code 0311: Parameter memory 2 of 4");
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F100001, 0x311, 0xFFFF, 4)),
              "Module    1 Code 0311: Message: Parameter memory loaded");
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F100001, 0x120, 7, 0)), "Module    1 Code 0x0120: Short line 7");
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F100001, 0x130, 9, 0)),
              "Module    1 Code 0130: " + std::string(100, 'y') + " 9 end");
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F100001, 0x2A, 255, 0)), "Module    1 Code 2A:last line ff without line end");
}

TEST_F(ErrMessagesTest, NewerGenerationCodeIn32Bits)
{
    WriteErrErr("10120: V6 error %d/%d\n");
    ErrorMessages table(Dir.string());
    Block b;
    b.ID = 0x9A000002;
    const std::uint8_t bytes[] = {0, 0, 0x00, 0x01, 0x01, 0x20, 0x00, 0x05};
    std::copy(std::begin(bytes), std::end(bytes), b.Data.begin());
    // Parameter 1 shares bytes 10-11 with the code's low half.
    EXPECT_EQ(table.CB2ErrorString(b), "Module    2 Code 10120: V6 error 288/5");
    b.ID = 0xFE000002;
    EXPECT_EQ(table.CB2ErrorString(b), "Module    2 Code 10120: V6 error 288/5");
}

TEST_F(ErrMessagesTest, ShortDataReadsNothingOutside)
{
    ErrorMessages table(Dir.string());
    const std::uint8_t data[] = {0x01, 0x10, 0, 0, 0x00};
    EXPECT_EQ(table.CB2ErrorString(0x0F100003, std::span<const std::uint8_t>(data)),
              "Module    3 Code 0110: Parameter1 0 Parameter2 0");
    EXPECT_EQ(table.CB2ErrorString(0x9A000002, {}), "Module    2 Code 0000: Parameter1 0 Parameter2 0");
}

TEST_F(ErrMessagesTest, ReloadsWhenTheFileChanges)
{
    WriteErrErr("0110: first %d\n");
    ErrorMessages table(Dir.string());
    EXPECT_EQ(table.GetErrorString(0x110), "0110: first %d");
    WriteErrErr("0110: second %d\n");
    std::filesystem::last_write_time(Dir / "Err.Err",
                                     std::filesystem::last_write_time(Dir / "Err.Err") + std::chrono::seconds(5));
    EXPECT_EQ(table.CB2ErrorString(DeviceError(0x0F100001, 0x110, 1, 0)), "Module    1 Code 0110: second 1");
    std::filesystem::remove(Dir / "Err.Err");
    EXPECT_EQ(table.GetErrorString(0x110), "");
    WriteErrErr("0110: third\n");
    EXPECT_EQ(table.GetErrorString(0x110), "0110: third");
}

struct FormatCase {
    const char* Line;
    int P1, P2;
    const char* Expected;
};

TEST(ErrMessagesFormat, OnlyIntegerConversionsAreExpanded)
{
    const FormatCase cases[] = {
        {"1: %d and %d", 5, 6, "1: 5 and 6"},
        {"1: %4.4x|%-5d|%+d|%05u|%#o|%X", 0x1f, 7, "1: 001f|7    |%+d|%05u|%#o|%X"},
        {"1: %+d|%05u", 7, 3, "1: +7|00003"},
        {"1: %#o %X % i", 8, 255, "1: 010 FF % i"},
        {"1: %hd %hhu", 0xFFFF, 0x1FF, "1: -1 255"},
        {"1: %ld %lld", 3, 4, "1: 3 4"},
        {"1: 100%% done %d", 1, 2, "1: 100% done 1"},
        {"1: %s %n %p %f %c %d", 1, 2, "1: %s %n %p %f %c 1"},
        {"1: %*d %1$d %d", 1, 2, "1: %*d %1$d 1"},
        {"1: %d %d %d", 1, 2, "1: 1 2 %d"},
        {"1: %999999999d %100d %.100d|", 1, 2, "1: %999999999d %100d %.100d|"},
        {"1: trailing %", 1, 2, "1: trailing %"},
        {"1: %l", 1, 2, "1: %l"},
        {"1: %5%", 1, 2, "1: %5%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorMessages::FormatMessageLine(c.Line, c.P1, c.P2), c.Expected) << c.Line;
    EXPECT_EQ(ErrorMessages::FormatMessageLine("%99d|%.99x", 1, 2), std::string(98, ' ') + "1|" + std::string(98, '0') + "2");
}

TEST(ErrMessagesParse, CodesAndSkippedLines)
{
    const auto m = ErrorMessages::ParseMessageText("  7a:x\n:no code\nzz: no\n123 no colon\nFFFFFFFF:max\n"
                                                   "100000000:too big\n7A:again\r\n");
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m.at(0x7A), "7A:again");
    EXPECT_EQ(m.at(0xFFFFFFFF), "FFFFFFFF:max");
}

TEST(ErrMessagesCards, ModelTable)
{
    const std::pair<int, int> cases[] = {{0, 0},     {1, 111},   {50, 122}, {70, 222}, {102, 421}, {103, 422},
                                         {104, 424}, {100, 848}, {101, 848}, {150, 851}, {11, 311}, {2, 0}};
    for (const auto& [type, model] : cases)
        EXPECT_EQ(ErrorMessages::CardModel(type), model) << type;
}

} // namespace
