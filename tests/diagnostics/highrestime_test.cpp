// The millisecond clock and the protocol file stream.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "diagnostics/highrestime.h"

namespace {

using kvr::diag::LocalDateTime;

struct FakeSources {
    std::uint32_t Tick = 5000;
    LocalDateTime Wall{2007, 10, 22, 14, 35, 12, 345000};
};

std::int64_t Day(int Y, int M, int D)
{
    return LocalDateTime{Y, M, D, 0, 0, 0, 0}.DayNumber();
}

TEST(HighResTime, FirstCallAnchorsToTheWallClock)
{
    FakeSources s;
    kvr::diag::HighResClock clock([&] { return s.Tick; }, [&] { return s.Wall; });
    const std::uint64_t expected = Day(2007, 10, 22) * 86400000ULL + (14 * 3600 + 35 * 60 + 12) * 1000ULL + 345;
    EXPECT_EQ(clock.Now(), expected);
    EXPECT_EQ(HighResTimeToStr(expected), "2007-10-22 14:35:12.345");
}

TEST(HighResTime, FollowsTheTickWithinADay)
{
    FakeSources s;
    kvr::diag::HighResClock clock([&] { return s.Tick; }, [&] { return s.Wall; });
    const std::uint64_t first = clock.Now();
    s.Tick += 250;
    s.Wall.Hour = 9; // the system clock was set back meanwhile
    EXPECT_EQ(clock.Now(), first + 250);
}

TEST(HighResTime, NewDayAndWrappedTickSynchroniseAgain)
{
    FakeSources s;
    kvr::diag::HighResClock clock([&] { return s.Tick; }, [&] { return s.Wall; });
    clock.Now();
    s.Tick += 1000;
    s.Wall = {2007, 10, 23, 0, 0, 0, 500000};
    EXPECT_EQ(clock.Now(), Day(2007, 10, 23) * 86400000ULL + 500);
    s.Tick = 10; // wrapped after 2^32 ms
    s.Wall = {2007, 10, 23, 0, 0, 2, 0};
    EXPECT_EQ(clock.Now(), Day(2007, 10, 23) * 86400000ULL + 2000);
    s.Tick += 40;
    EXPECT_EQ(clock.Now(), Day(2007, 10, 23) * 86400000ULL + 2040);
}

TEST(HighResTime, TextOfZeroIsTheDateEpoch)
{
    EXPECT_EQ(HighResTimeToStr(0), "1899-12-30 00:00:00.000");
    EXPECT_EQ(Day(1899, 12, 30), 0);
    EXPECT_EQ(Day(1970, 1, 1), 25569);
}

TEST(LogFileStream, StartAndStopLinesWithCrLf)
{
    const auto path = std::filesystem::path(::testing::TempDir()) / "kvr_logfilestream.txt";
    std::filesystem::remove(path);
    {
        TKVRLogFileStream stream(path.string(), TKVRLogFileStream::fmCreate);
        stream.WriteLine("CAN 0F10000C 01 10");
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : {lines[0], lines[2]}) {
        ASSERT_GT(line.size(), 24u);
        EXPECT_EQ(line[4], '-');
        EXPECT_EQ(line[10], ' ');
        EXPECT_EQ(line[19], '.');
    }
    EXPECT_EQ(lines[0].substr(23), " Logging started.\r");
    EXPECT_EQ(lines[1], "CAN 0F10000C 01 10\r");
    EXPECT_EQ(lines[2].substr(23), " Logging stopped.\r");
    std::filesystem::remove(path);
}

TEST(LogFileStream, MissingFileForOpenModeThrows)
{
    EXPECT_THROW(TKVRLogFileStream("/nonexistent/folder/x.log", TKVRLogFileStream::fmOpenReadWrite), EFileStreamError);
}

} // namespace
