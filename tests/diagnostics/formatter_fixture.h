#pragma once
// A formatter of its own for each test: a temporary program folder, a fixed clock, the
// debugger output and the message dialogs recorded.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/platform.h"

namespace kvrtest {

struct ShownMessage {
    int Kind;
    std::string Text;
    unsigned Code;
    std::string Buttons;
};

inline std::chrono::system_clock::time_point LocalTime(int Year, int Month, int Day, int Hour, int Minute, int Second,
                                                       int Micro = 0)
{
    std::tm tm{};
    tm.tm_year = Year - 1900;
    tm.tm_mon = Month - 1;
    tm.tm_mday = Day;
    tm.tm_hour = Hour;
    tm.tm_min = Minute;
    tm.tm_sec = Second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm)) + std::chrono::microseconds(Micro);
}

inline std::string ReadFile(const std::filesystem::path& Path)
{
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::string> SplitLines(const std::string& Text)
{
    std::vector<std::string> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// An empty folder of the running test's own.
inline std::filesystem::path FreshTestDir(const std::string& Prefix)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto dir = std::filesystem::path(::testing::TempDir()) /
                     (Prefix + "_" + info->test_suite_name() + "_" + info->name() + "_" +
                      std::to_string(kvr::diag::CurrentProcessId()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline bool AllDigits(const std::string& Text)
{
    return !Text.empty() && Text.find_first_not_of("0123456789") == std::string::npos;
}

// Line is Head, a number of milliseconds and "ms)" (the end of a pop line).
inline bool HeadThenMs(const std::string& Line, const std::string& Head)
{
    return Line.starts_with(Head) && Line.ends_with("ms)") && Line.size() > Head.size() + 3 &&
           AllDigits(Line.substr(Head.size(), Line.size() - Head.size() - 3));
}

// Line is Stamp (such as "20071022-143512."), six digits of microseconds, a blank and Body.
inline bool Stamped(const std::string& Line, const std::string& Stamp, const std::string& Body)
{
    return Line.size() == Stamp.size() + 7 + Body.size() && Line.starts_with(Stamp) &&
           AllDigits(Line.substr(Stamp.size(), 6)) && Line[Stamp.size() + 6] == ' ' &&
           Line.substr(Stamp.size() + 7) == Body;
}

// "<xxxx>" of the calling thread.
inline std::string ThreadTag()
{
    return kvr::diag::Format("<%04x>", kvr::diag::CurrentThreadId() & 0xFFFF);
}

class FormatterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = FreshTestDir("kvrdiag");
        Clock = LocalTime(2007, 10, 22, 14, 35, 12, 345678);
    }
    void TearDown() override
    {
        F.reset();
        std::filesystem::remove_all(Dir);
    }

    TKVRFormatterSetup MakeSetup(bool WithWatchDog = false)
    {
        TKVRFormatterSetup s;
        s.ProgramFolder = Dir.string() + "/";
        s.ProcessId = 0x12345; // shows as 9029 in file names
        s.DebuggerPresent = !WithWatchDog;
        s.WatchdogPeriod = std::chrono::seconds(60);
        s.DebugOutput = [this](const std::string& Text) {
            std::lock_guard lock(Lock);
            Debug.push_back(Text);
        };
        s.Now = [this] {
            std::lock_guard lock(Lock);
            return Clock;
        };
        s.Presenter = [this](int Kind, const std::string& Text, unsigned Code, const std::string& Buttons) {
            std::lock_guard lock(Lock);
            Shown.push_back({Kind, Text, Code, Buttons});
            return Answer;
        };
        return s;
    }

    TKVRInfoFormatter& Make(std::vector<std::string> Args, bool WithWatchDog = false)
    {
        return Make(MakeSetup(WithWatchDog), std::move(Args));
    }

    TKVRInfoFormatter& Make(TKVRFormatterSetup S, std::vector<std::string> Args)
    {
        F = std::make_unique<TKVRInfoFormatter>(std::move(S));
        Args.insert(Args.begin(), "/opt/kvr/kvrconfig");
        std::vector<const char*> argv;
        for (const auto& a : Args)
            argv.push_back(a.c_str());
        F->ParseSwitches(static_cast<int>(argv.size()), argv.data());
        std::lock_guard lock(Lock);
        Debug.clear();
        return *F;
    }

    std::vector<std::string> DebugLines()
    {
        std::lock_guard lock(Lock);
        return Debug;
    }

    std::filesystem::path LogPath(const std::string& Name) const { return Dir / Name; }

    std::filesystem::path Dir;
    std::mutex Lock;
    std::vector<std::string> Debug;
    std::vector<ShownMessage> Shown;
    int Answer = mrOk;
    std::chrono::system_clock::time_point Clock;
    std::unique_ptr<TKVRInfoFormatter> F;
};

} // namespace kvrtest
