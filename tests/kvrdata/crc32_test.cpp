#include "kvrdata/crc32.h"

#include <gtest/gtest.h>

#include <string>

using namespace Kvrdata_ns;

namespace {

TMemoryStream streamOf(const std::string& text)
{
    return TMemoryStream(std::vector<std::uint8_t>(text.begin(), text.end()));
}

} // namespace

TEST(Crc32, CheckValueAndEmptyRange)
{
    EXPECT_EQ(CalcCRC32(std::span<const std::uint8_t>()), 0U);
    auto stream = streamOf("123456789");
    EXPECT_EQ(CalcCRC32(&stream, 0), 0xCBF43926U);
    EXPECT_EQ(stream.GetPosition(), 9);
    EXPECT_EQ(CalcCRC32(&stream, 0), 0U) << "nothing left after the position";
}

TEST(Crc32, CountPastTheEndStopsAtTheEnd)
{
    auto stream = streamOf("123456789");
    EXPECT_EQ(CalcCRC32(&stream, 100), 0xCBF43926U);
    EXPECT_EQ(stream.GetPosition(), 9);
}

TEST(Crc32, AppendThenCheckAndDetectChange)
{
    auto stream = streamOf("123456789");
    EXPECT_EQ(AppendCRC32(&stream), 0xCBF43926U);
    const std::vector<std::uint8_t> tail(stream.Bytes().end() - 4, stream.Bytes().end());
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{0xCB, 0xF4, 0x39, 0x26}));

    stream.SetPosition(0);
    EXPECT_TRUE(CheckCRC32(&stream, 0));
    EXPECT_EQ(stream.GetPosition(), 13);

    for (std::size_t i = 0; i < stream.Bytes().size(); ++i) {
        TMemoryStream changed(stream.Bytes());
        changed.Memory()[i] ^= 0x01;
        EXPECT_FALSE(CheckCRC32(&changed, 0)) << "byte " << i;
    }
}

TEST(Crc32, CheckOnAStreamShorterThanItsTrailer)
{
    auto stream = streamOf("ab");
    EXPECT_FALSE(CheckCRC32(&stream, 0));
}
