#include "diagnostics/platform.h"

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace kvr::diag {

bool VFormatTo(std::string& Out, const char* Fmt, va_list Args)
{
    if (Fmt == nullptr)
        return false;
    char small[512];
    va_list copy;
    va_copy(copy, Args);
    const int n = std::vsnprintf(small, sizeof small, Fmt, copy);
    va_end(copy);
    if (n < 0)
        return false;
    if (static_cast<std::size_t>(n) < sizeof small) {
        Out.assign(small, static_cast<std::size_t>(n));
        return true;
    }
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    va_copy(copy, Args);
    const int m = std::vsnprintf(big.data(), big.size(), Fmt, copy);
    va_end(copy);
    if (m < 0)
        return false;
    big.resize(static_cast<std::size_t>(m));
    Out = std::move(big);
    return true;
}

std::string Format(const char* Fmt, ...)
{
    std::string out;
    va_list args;
    va_start(args, Fmt);
    VFormatTo(out, Fmt, args);
    va_end(args);
    return out;
}

namespace {

constexpr std::chrono::sys_days DateEpoch = std::chrono::sys_days(std::chrono::year(1899) / 12 / 30);

} // namespace

std::int64_t LocalDateTime::DayNumber() const
{
    using namespace std::chrono;
    const sys_days d = sys_days(year(Year) / month(static_cast<unsigned>(Month)) / day(static_cast<unsigned>(Day)));
    return (d - DateEpoch).count();
}

LocalDateTime ToLocal(std::chrono::system_clock::time_point Time)
{
    using namespace std::chrono;
    const auto us = duration_cast<microseconds>(Time.time_since_epoch()).count();
    std::time_t secs = static_cast<std::time_t>(us / 1000000);
    long micro = static_cast<long>(us % 1000000);
    if (micro < 0) {
        micro += 1000000;
        --secs;
    }
    std::tm tm{};
    localtime_r(&secs, &tm);
    LocalDateTime r;
    r.Year = tm.tm_year + 1900;
    r.Month = tm.tm_mon + 1;
    r.Day = tm.tm_mday;
    r.Hour = tm.tm_hour;
    r.Minute = tm.tm_min;
    r.Second = tm.tm_sec;
    r.Micro = static_cast<int>(micro);
    return r;
}

LocalDateTime LocalNow()
{
    return ToLocal(std::chrono::system_clock::now());
}

LocalDateTime FromDayNumber(std::int64_t Day)
{
    using namespace std::chrono;
    const year_month_day ymd(DateEpoch + days(Day));
    LocalDateTime r;
    r.Year = static_cast<int>(ymd.year());
    r.Month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    r.Day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    return r;
}

LocalDateTime AddDays(const LocalDateTime& Date, int Days)
{
    LocalDateTime r = FromDayNumber(Date.DayNumber() + Days);
    r.Hour = Date.Hour;
    r.Minute = Date.Minute;
    r.Second = Date.Second;
    r.Micro = Date.Micro;
    return r;
}

std::uint32_t CurrentThreadId()
{
    thread_local const std::uint32_t id = static_cast<std::uint32_t>(::syscall(SYS_gettid));
    return id;
}

std::uint32_t CurrentProcessId()
{
    return static_cast<std::uint32_t>(::getpid());
}

bool DebuggerPresent()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        constexpr std::string_view key = "TracerPid:";
        if (line.starts_with(key))
            return std::strtol(line.c_str() + key.size(), nullptr, 10) != 0;
    }
    return false;
}

std::string ProgramFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path())
        return "./";
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool FolderWritable(const std::string& Folder)
{
    return !Folder.empty() && ::access(Folder.c_str(), W_OK | X_OK) == 0;
}

bool RegularFileOrNone(const std::string& Path)
{
    struct stat Info {};
    if (::stat(Path.c_str(), &Info) != 0)
        return errno == ENOENT;
    return S_ISREG(Info.st_mode);
}

std::string UserLogFolder()
{
    std::filesystem::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
        base = state;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".local" / "state";
    else
        base = std::filesystem::temp_directory_path();
    const auto folder = base / "kvrconfig" / "log";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!FolderWritable(folder.string()))
        return {};
    return folder.string() + '/';
}

void WriteDebugOutput(const std::string& Text)
{
    std::fwrite(Text.data(), 1, Text.size(), stderr);
    if (Text.empty() || Text.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace kvr::diag
