#include "diagnostics/kvrlog.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "diagnostics/platform.h"

namespace {

// Keep a flush or limit check from starting again while one runs (a view update may let the
// program process messages that log).
bool Flushing = false;
bool Checking = false;

struct Guard {
    explicit Guard(bool& F)
        : Flag(F)
    {
        Flag = true;
    }
    ~Guard() { Flag = false; }
    bool& Flag;
};

// The C library's asctime form without its line feed: "Mon Oct 22 14:35:12 2007".
std::string AscTime(const kvr::diag::LocalDateTime& T)
{
    static const char* const Days[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const Months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // Day 0 (30 December 1899) was a Saturday.
    const auto weekday = static_cast<int>(((T.DayNumber() + 6) % 7 + 7) % 7);
    return kvr::diag::Format("%.3s %.3s%3d %.2d:%.2d:%.2d %d", Days[weekday], Months[(T.Month - 1) % 12], T.Day,
                             T.Hour, T.Minute, T.Second, T.Year);
}

// Replaces Name by its last Keep bytes: written beside it under a temporary name, then renamed
// over it, so the log is never lost half way.
void KeepTail(const std::string& Name, std::uintmax_t Size, std::uintmax_t Keep)
{
    const std::string temp = Name + ".tmp";
    std::ifstream in(Name, std::ios::binary);
    if (!in)
        return;
    const std::uintmax_t start = Size > Keep ? Size - Keep : 0;
    in.seekg(static_cast<std::streamoff>(start));
    std::string tail((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return;
        }
    }
    std::filesystem::rename(temp, Name, ec);
    if (ec)
        std::filesystem::remove(temp, ec);
}

} // namespace

TKVRLog::TKVRLog()
    : FNow([] { return std::chrono::system_clock::now(); })
{
}

TKVRLog::~TKVRLog()
{
    FMemo.reset();
    Flush(0, 0);
}

std::int64_t TKVRLog::Today() const
{
    return kvr::diag::ToLocal(FNow()).DayNumber();
}

void TKVRLog::FSetFileName(const std::string& Value)
{
    // Only the final extension of the file part goes; dots in folders and earlier parts stay.
    const std::size_t slash = Value.rfind('/');
    const std::size_t dot = Value.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    FFileName = hasExtension ? Value.substr(0, dot) : Value;
}

void TKVRLog::FSetMemo(std::shared_ptr<TKVRLogView> Value)
{
    FMemo = Value;
    if (Value)
        UpdateStrings();
}

std::string TKVRLog::GenerateFileName(std::int64_t Day) const
{
    if (Day != 0 && DailyLog) {
        const kvr::diag::LocalDateTime d = kvr::diag::FromDayNumber(Day);
        return FFileName + kvr::diag::Format("%04d-%02d-%02d", d.Year, d.Month, d.Day) + ".log";
    }
    return FFileName + ".log";
}

std::string TKVRLog::GetActualFileName()
{
    return GenerateFileName(Today());
}

void TKVRLog::Message(const std::string& Text, int Level)
{
    if (!Enabled || Level > LogLevel)
        return;
    const std::string line = AscTime(kvr::diag::ToLocal(FNow())) + " " + Text;
    FLines.push_back(line);
    {
        std::lock_guard lock(MemoLock);
        if (auto memo = FMemo.lock(); memo && Destination.Contains(dldMemo))
            memo->AppendLine(line);
    }
    if (static_cast<long long>(FLines.size()) > FlushLimit)
        Flush(FlushLimit, FlushLeft);
}

void TKVRLog::Flush(int Limit, int Left)
{
    if (!Enabled || Flushing)
        return;
    Guard guard(Flushing);
    const std::string name = GetActualFileName();
    if (static_cast<long long>(FLines.size()) <= Limit)
        return;
    std::FILE* file = nullptr;
    if (Destination.Contains(dldFile))
        file = std::fopen(name.c_str(), "ab"); // a file that cannot be opened loses the lines
    while (static_cast<long long>(FLines.size()) > Left) {
        if (file)
            std::fprintf(file, "%s%c%c", FLines.front().c_str(), 13, 10);
        FLines.pop_front();
    }
    UpdateStrings();
    if (file)
        std::fclose(file);
    CheckLimit();
}

void TKVRLog::CheckLimit()
{
    if (!Enabled || Checking)
        return;
    Guard guard(Checking);
    const std::int64_t today = Today();
    if (LimitBy == dltSize) {
        const std::string name = GenerateFileName(today);
        std::error_code ec;
        const auto size = std::filesystem::file_size(name, ec);
        if (!ec && size > static_cast<std::uintmax_t>(LimitValue < 0 ? 0 : LimitValue))
            KeepTail(name, size, 1024);
    } else if (LimitBy == dltDays && DailyLog) {
        std::error_code ec;
        std::filesystem::remove(GenerateFileName(today - LimitValue), ec);
    }
}

void TKVRLog::UpdateStrings()
{
    auto memo = FMemo.lock();
    if (!memo)
        return;
    if (!memo->IsAlive()) {
        FMemo.reset();
        return;
    }
    std::lock_guard lock(MemoLock);
    memo->SetLines(std::vector<std::string>(FLines.begin(), FLines.end()));
}
