// The formatter's log file: naming, line stamps, repeat collapsing, rotation, the flush of a
// burst and the folder the files go to.
#include <atomic>
#include <thread>

#include "formatter_fixture.h"

using namespace kvrtest;

namespace {

const std::string Stamp = "20071022-143512.";

TEST_F(FormatterTest, LogFileNameAndLines)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8005", "-file:run"});
    EXPECT_EQ(f.LogFolder(), Dir.string() + "/");
    f.Trace(0x8004, "sent %d bytes", 12);
    f.Shutdown();
    const auto path = LogPath("run-2007-10-22-0000-9029.log");
    ASSERT_TRUE(std::filesystem::exists(path));
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    const auto lines = SplitLines(text);
    const std::string tag = ThreadTag();
    const std::vector<std::string> bodies{tag + " COMMONRUNTIME PROTOCOL STARTET", tag + " COMMONMessageLevel = <00008105>",
                                          tag + " COMMONLogging to file: run", tag + " INFO  sent 12 bytes",
                                          tag + " COMMONRUNTIME PROTOCOL STOPPED"};
    ASSERT_EQ(lines.size(), bodies.size()) << text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(Stamped(lines[i], Stamp, bodies[i])) << lines[i];
    EXPECT_TRUE(DebugLines().empty());
}

TEST_F(FormatterTest, FileOnlyPassesProtocolLines)
{
    TKVRInfoFormatter& f = Make({"-file:run"});
    f.Trace(0x8000, "communication");
    f.Trace(0x100, "protocol");
    f.Shutdown();
    const std::string text = ReadFile(LogPath("run-2007-10-22-0000-9029.log"));
    EXPECT_EQ(text.find("communication"), std::string::npos);
    EXPECT_NE(text.find("COMMONprotocol\n"), std::string::npos);
}

TEST_F(FormatterTest, RepeatedLinesCollapse)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8005", "-file:rep"});
    for (int i = 0; i < 3; ++i)
        f.Trace(0x8004, "same");
    f.Trace(0x8004, "other");
    f.Trace(0x8004, "same");
    f.SaveStrings();
    const auto lines = SplitLines(ReadFile(LogPath("rep-2007-10-22-0000-9029.log")));
    ASSERT_EQ(lines.size(), 7u);
    const std::string tag = ThreadTag();
    EXPECT_TRUE(Stamped(lines[3], Stamp, tag + " INFO  same")) << lines[3];
    EXPECT_TRUE(Stamped(lines[4], Stamp, "Last Message repeated 2 times"))
        << lines[4];
    EXPECT_TRUE(Stamped(lines[5], Stamp, tag + " INFO  other")) << lines[5];
    EXPECT_TRUE(Stamped(lines[6], Stamp, tag + " INFO  same")) << lines[6];
}

TEST_F(FormatterTest, SameTextAtAnotherDepthIsNotCollapsed)
{
    TKVRInfoFormatter& f = Make({"-debug:0x8204", "-file:dep"});
    f.Trace(0x8004, "x");
    {
        TKVRFI a(f, "A");
        f.Trace(0x8004, "x");
    }
    f.SaveStrings();
    EXPECT_EQ(ReadFile(LogPath("dep-2007-10-22-0000-9029.log")).find("repeated"), std::string::npos);
}

TEST_F(FormatterTest, FullFileMovesToNextNumber)
{
    TKVRInfoFormatter& f = Make({"-file:big"});
    f.SaveStrings();
    const auto first = LogPath("big-2007-10-22-0000-9029.log");
    std::filesystem::resize_file(first, 10000000); // at the limit: still in use
    f.Trace(0x100, "one");
    f.SaveStrings();
    EXPECT_FALSE(std::filesystem::exists(LogPath("big-2007-10-22-0001-9029.log")));
    f.Trace(0x100, "two"); // now past the limit
    f.SaveStrings();
    const std::string next = ReadFile(LogPath("big-2007-10-22-0001-9029.log"));
    EXPECT_EQ(SplitLines(next).size(), 1u);
    EXPECT_NE(next.find("COMMONtwo"), std::string::npos);
}

TEST_F(FormatterTest, OldNumbersAreDeletedPastOneHundred)
{
    TKVRInfoFormatter& f = Make({"-file:old"});
    for (int i = 0; i < 100; ++i) {
        const auto name = LogPath(kvr::diag::Format("old-2007-10-22-%04d-9029.log", i));
        std::ofstream(name).put('x');
        std::filesystem::resize_file(name, 10000001); // sparse
    }
    f.SaveStrings(); // moves to number 100
    EXPECT_TRUE(std::filesystem::exists(LogPath("old-2007-10-22-0100-9029.log")));
    f.Trace(0x100, "again");
    f.SaveStrings(); // deletes 0..19
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(std::filesystem::exists(LogPath(kvr::diag::Format("old-2007-10-22-%04d-9029.log", i))), i >= 20)
            << i;
}

TEST_F(FormatterTest, NewDateGivesNewFile)
{
    TKVRInfoFormatter& f = Make({"-file:day"});
    f.SaveStrings();
    {
        std::lock_guard lock(Lock);
        Clock = LocalTime(2007, 10, 23, 0, 0, 1);
    }
    f.Trace(0x100, "tomorrow");
    f.SaveStrings();
    EXPECT_NE(ReadFile(LogPath("day-2007-10-23-0000-9029.log")).find("COMMONtomorrow"), std::string::npos);
    EXPECT_EQ(ReadFile(LogPath("day-2007-10-22-0000-9029.log")).find("tomorrow"), std::string::npos);
}

TEST_F(FormatterTest, UnwritableProgramFolderFallsBack)
{
    TKVRFormatterSetup s = MakeSetup();
    s.ProgramFolder = (Dir / "missing" / "bin").string();
    s.FallbackLogFolder = (Dir / "state").string();
    std::filesystem::create_directories(Dir / "state");
    TKVRInfoFormatter& f = Make(s, {"-file:fb"});
    EXPECT_EQ(f.LogFolder(), (Dir / "state").string() + "/");
    f.Shutdown();
    const std::string text = ReadFile(Dir / "state" / "fb-2007-10-22-0000-9029.log");
    EXPECT_NE(text.find("not writable, log files go to " + (Dir / "state").string() + "/\n"), std::string::npos)
        << text;
}

TEST_F(FormatterTest, UnopenableFileKeepsTheBuffer)
{
    TKVRInfoFormatter& f = Make({"-file:blk"});
    const auto name = LogPath("blk-2007-10-22-0000-9029.log");
    std::filesystem::create_directory(name);
    f.SaveStrings();
    EXPECT_EQ(DebugLines(), std::vector<std::string>{"TKVRInfoFormatter::SaveStrings : Unable to write to Log File!"});
    std::filesystem::remove(name);
    f.SaveStrings();
    EXPECT_NE(ReadFile(name).find("RUNTIME PROTOCOL STARTET"), std::string::npos);
}

// Writes 800 lines of about 130 characters; the buffer passes 32,768 characters at about the
// 250th, and the lines up to there must reach the file. The watchdog's first flush (it starts
// signalled) may empty the buffer anywhere in the first half, so the second half alone passes
// the threshold again.
void Burst(TKVRInfoFormatter& F)
{
    for (int i = 0; i < 800; ++i)
        F.Trace(0x100, "burst line %03d %s", i, std::string(80, 'x').c_str());
}

std::uintmax_t FileSize(const std::filesystem::path& Path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(Path, ec);
    return ec ? 0 : size;
}

TEST_F(FormatterTest, BurstIsWrittenByTheWatchDogAtOnce)
{
    // The watchdog's period is a minute here, so only the wake can write the burst.
    TKVRInfoFormatter& f = Make({"-file:burst"}, true);
    ASSERT_TRUE(f.HasWatchDog());
    const auto name = LogPath("burst-2007-10-22-0000-9029.log");
    Burst(f);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    // The file may be seen while it is being written: wait until the burst's middle is in it.
    while ((FileSize(name) <= 32768 || ReadFile(name).find("burst line 200") == std::string::npos) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(FileSize(name), 32768u);
    EXPECT_NE(ReadFile(name).find("burst line 200"), std::string::npos);
    f.Trace(0x100, "after the burst");
    f.Shutdown(); // the watchdog's last flush
    const std::string text = ReadFile(name);
    EXPECT_NE(text.find("burst line 799"), std::string::npos);
    EXPECT_NE(text.find("after the burst"), std::string::npos);
    EXPECT_NE(text.find("RUNTIME PROTOCOL STOPPED"), std::string::npos);
}

// A thread may still be putting out lines, and waking the watchdog, while the formatter shuts
// down; that must stay clean under the sanitizers and every line must reach the file whole.
TEST_F(FormatterTest, ShutdownWhileAnotherThreadTraces)
{
    const auto name = LogPath("race-2007-10-22-0000-9029.log");
    for (int round = 0; round < 20; ++round) {
        std::filesystem::remove(name);
        TKVRInfoFormatter& f = Make({"-file:race"}, true);
        std::atomic<bool> stop{false};
        std::thread tracer([&] {
            for (int i = 0; !stop; ++i)
                f.Trace(0x100, "race line %0400d", i);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        f.Shutdown();
        stop = true;
        tracer.join();
        const std::string text = ReadFile(name);
        EXPECT_NE(text.find("RUNTIME PROTOCOL STOPPED"), std::string::npos);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
    }
}

TEST_F(FormatterTest, BurstWithoutWatchDogIsWrittenByTheCaller)
{
    TKVRInfoFormatter& f = Make({"-file:direct"});
    ASSERT_FALSE(f.HasWatchDog());
    Burst(f);
    const auto name = LogPath("direct-2007-10-22-0000-9029.log");
    EXPECT_GT(FileSize(name), 32768u);
    EXPECT_NE(ReadFile(name).find("burst line 200"), std::string::npos);
}

} // namespace
