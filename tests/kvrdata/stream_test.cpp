#include "kvrdata/stream.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Kvrdata_ns;

TEST(Stream, MemoryReadWriteSeek)
{
    TMemoryStream s;
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.GetSize(), 6);
    s.SetPosition(2);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 4);
    EXPECT_STREQ(buf, "cdef");
    EXPECT_EQ(s.Read(buf, 1), 0);
    s.SetPosition(0);
    EXPECT_THROW(s.ReadBuffer(buf, 7), EReadError);
    EXPECT_EQ(s.Seek(-100, TSeekOrigin::soCurrent), 0);
    s.SetSize(3);
    EXPECT_EQ(s.GetSize(), 3);
}

TEST(Stream, FileRoundTripAndCopy)
{
    const auto path = (std::filesystem::temp_directory_path() / "kvr_stream_test.bin").string();
    {
        TMemoryStream s(std::vector<std::uint8_t>{1, 2, 3, 4});
        s.SaveToFile(path);
    }
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Bytes(), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    std::filesystem::remove(path);
    EXPECT_THROW(TFileStream(path, TFileStream::fmOpenRead), EFOpenError);
}
