// The log component: levels, flushing to the file and the view, limits by days and by size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "diagnostics/kvrlog.h"
#include "diagnostics/platform.h"
#include "formatter_fixture.h"

namespace {

using kvrtest::LocalTime;
using kvrtest::ReadFile;
using kvrtest::SplitLines;

class RecordingView : public TKVRLogView {
public:
    void AppendLine(const std::string& Line) override { Lines.push_back(Line); }
    void SetLines(const std::vector<std::string>& L) override
    {
        Lines = L;
        ++Reloads;
    }
    bool IsAlive() const override { return Alive; }
    std::vector<std::string> Lines;
    int Reloads = 0;
    bool Alive = true;
};

class KVRLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = kvrtest::FreshTestDir("kvr_log");
        Log = std::make_unique<TKVRLog>();
        Log->SetClock([] { return LocalTime(2007, 10, 22, 14, 35, 12); });
        Log->FSetFileName((Dir / "Debug.log").string());
        Log->Enabled = true;
    }
    void TearDown() override
    {
        Log.reset();
        std::filesystem::remove_all(Dir);
    }
    std::filesystem::path Dir;
    std::unique_ptr<TKVRLog> Log;
};

TEST_F(KVRLogTest, DisabledDoesNothing)
{
    Log->Enabled = false;
    Log->Destination = TKVRLogDestinations::Of({dldMemo, dldFile});
    Log->Message("x", 0);
    Log->Flush(-1, 0);
    EXPECT_TRUE(Log->Lines().empty());
    EXPECT_FALSE(std::filesystem::exists(Dir / "Debug.log"));
}

TEST_F(KVRLogTest, LevelsAndLineStamp)
{
    Log->FlushLimit = 100;
    Log->Message("logged", 0);
    Log->Message("not logged", 1);
    Log->Message("not logged", 2);
    ASSERT_EQ(Log->Lines().size(), 1u);
    EXPECT_EQ(Log->Lines()[0], "Mon Oct 22 14:35:12 2007 logged");
    Log->LogLevel = 2;
    Log->Message("now", 2);
    EXPECT_EQ(Log->Lines().size(), 2u);
}

TEST_F(KVRLogTest, FlushWritesOldLinesAndKeepsTheLast)
{
    auto view = std::make_shared<RecordingView>();
    Log->FSetMemo(view);
    Log->FlushLimit = 1000;
    Log->FlushLeft = 50;
    Log->Destination = TKVRLogDestinations::Of({dldMemo, dldFile});
    for (int i = 1; i <= 1000; ++i)
        Log->Message("line " + std::to_string(i), 0);
    EXPECT_EQ(view->Lines.size(), 1000u);
    EXPECT_FALSE(std::filesystem::exists(Dir / "Debug.log"));
    Log->Message("line 1001", 0);
    ASSERT_EQ(Log->Lines().size(), 50u);
    EXPECT_EQ(Log->Lines().front(), "Mon Oct 22 14:35:12 2007 line 952");
    EXPECT_EQ(view->Lines, std::vector<std::string>(Log->Lines().begin(), Log->Lines().end()));
    const std::string text = ReadFile(Dir / "Debug.log");
    const auto lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 951u);
    EXPECT_EQ(lines.front(), "Mon Oct 22 14:35:12 2007 line 1\r");
    EXPECT_EQ(lines.back(), "Mon Oct 22 14:35:12 2007 line 951\r");
}

TEST_F(KVRLogTest, MemoOnlyTrimsWithoutFile)
{
    Log->FlushLimit = 3;
    Log->FlushLeft = 1;
    for (int i = 0; i < 4; ++i)
        Log->Message("x" + std::to_string(i), 0);
    EXPECT_EQ(Log->Lines().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(Dir / "Debug.log"));
    Log->ClearLog();
    EXPECT_TRUE(Log->Lines().empty());
}

TEST_F(KVRLogTest, GoneViewIsDropped)
{
    auto view = std::make_shared<RecordingView>();
    Log->FSetMemo(view);
    view->Alive = false;
    Log->FlushLimit = 0;
    Log->Message("a", 0); // flushes; the reload finds the view gone
    EXPECT_EQ(Log->MemoField(), nullptr);
    auto other = std::make_shared<RecordingView>();
    Log->FSetMemo(other);
    other.reset(); // destroyed by its owner
    Log->Message("b", 0);
    EXPECT_EQ(Log->MemoField(), nullptr);
}

// A view that lets the program process messages while it is updated, and so logs again.
class LoggingView : public RecordingView {
public:
    explicit LoggingView(TKVRLog& L) : Log(L) {}
    void AppendLine(const std::string& Line) override
    {
        RecordingView::AppendLine(Line);
        LogOnce("appended");
    }
    void SetLines(const std::vector<std::string>& L) override
    {
        RecordingView::SetLines(L);
        LogOnce("reloaded");
    }
    void LogOnce(const std::string& Text)
    {
        if (Inside)
            return;
        Inside = true;
        Log.Message(Text, 0);
        Inside = false;
    }
    TKVRLog& Log;
    bool Inside = false;
};

TEST_F(KVRLogTest, ViewThatLogsWhileUpdatedDoesNotHang)
{
    auto view = std::make_shared<LoggingView>(*Log);
    Log->FSetMemo(view);
    Log->FlushLimit = 2;
    Log->FlushLeft = 1;
    for (int i = 0; i < 3; ++i)
        Log->Message("line " + std::to_string(i), 0);
    EXPECT_GE(view->Reloads, 2);
    ASSERT_FALSE(Log->Lines().empty());
    EXPECT_EQ(view->Lines.back(), Log->Lines().back());
}

TEST(KVRLogNames, FileNameLosesOnlyItsFinalExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Debug.log", "Debug"},          {"Debug.txt", "Debug"},         {"CX4Debug-", "CX4Debug-"},
        {"logs.v2/CorDex4-", "logs.v2/CorDex4-"}, {"a.log.log", "a.log"}, {"dir.log/x.log", "dir.log/x"},
        {"/var/log/kvr/Watches", "/var/log/kvr/Watches"}};
    TKVRLog log;
    for (const auto& [given, stored] : cases) {
        log.FSetFileName(given);
        EXPECT_EQ(log.FileName(), stored) << given;
    }
    log.FSetFileName("Debug.log");
    const std::int64_t day = kvr::diag::LocalDateTime{2007, 10, 22}.DayNumber();
    EXPECT_EQ(log.GenerateFileName(day), "Debug.log");
    log.DailyLog = true;
    EXPECT_EQ(log.GenerateFileName(day), "Debug2007-10-22.log");
    EXPECT_EQ(log.GenerateFileName(0), "Debug.log");
}

TEST_F(KVRLogTest, SizeLimitKeepsTheLastKilobyte)
{
    Log->Destination = TKVRLogDestinations::Of({dldFile});
    Log->LimitBy = dltSize;
    Log->LimitValue = 100000;
    Log->FlushLimit = 0;
    const auto path = Dir / "Debug.log";
    std::string last;
    std::uintmax_t before = 0;
    for (int i = 0; i < 5000; ++i) {
        last = "line " + std::to_string(i) + " " + std::string(60, 'z');
        Log->Message(last, 0);
        const auto size = std::filesystem::file_size(path);
        if (size < before)
            break;
        before = size;
    }
    EXPECT_LE(before, 100000u);
    EXPECT_GT(before, 100000u - 100);
    const std::string text = ReadFile(Dir / "Debug.log");
    EXPECT_EQ(text.size(), 1024u);
    EXPECT_TRUE(text.ends_with(last + "\r\n"));
    for (const auto& entry : std::filesystem::directory_iterator(Dir))
        EXPECT_EQ(entry.path().filename(), "Debug.log");
}

TEST_F(KVRLogTest, DaysLimitDeletesTheFileOfThatDay)
{
    Log->DailyLog = true;
    Log->LimitBy = dltDays;
    Log->LimitValue = 7;
    Log->Destination = TKVRLogDestinations::Of({dldFile});
    std::ofstream(Dir / "Debug2007-10-15.log") << "seven days";
    std::ofstream(Dir / "Debug2007-10-14.log") << "eight days";
    Log->FlushLimit = 0;
    Log->Message("today", 0);
    EXPECT_FALSE(std::filesystem::exists(Dir / "Debug2007-10-15.log"));
    EXPECT_TRUE(std::filesystem::exists(Dir / "Debug2007-10-14.log"));
    EXPECT_EQ(ReadFile(Dir / "Debug2007-10-22.log"), "Mon Oct 22 14:35:12 2007 today\r\n");
}

} // namespace
