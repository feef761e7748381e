#include "diagnostics/highrestime.h"

#include <chrono>

namespace kvr::diag {

std::uint32_t TickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

HighResClock::HighResClock(TickSource T, WallSource W)
    : Tick(T ? std::move(T) : TickSource(TickCount))
    , Wall(W ? std::move(W) : WallSource(LocalNow))
{
}

std::uint64_t HighResClock::Now()
{
    std::lock_guard lock(Lock);
    const std::int64_t t = Tick();
    const LocalDateTime now = Wall();
    const std::int64_t today = now.DayNumber();
    // Anchor again at a new day, and when the tick wrapped or went back.
    if (today != SyncDay || t < SyncTick) {
        SyncDay = today;
        TickBase = t - now.MsOfDay();
        SyncTick = t;
    }
    return static_cast<std::uint64_t>((t - TickBase) + SyncDay * 86400000LL);
}

} // namespace kvr::diag

std::uint64_t HighResNow()
{
    static kvr::diag::HighResClock clock;
    return clock.Now();
}

std::string HighResTimeToStr(std::uint64_t Ms)
{
    const auto day = static_cast<std::int64_t>(Ms / 86400000ULL);
    const auto ms = static_cast<int>(Ms % 86400000ULL);
    const kvr::diag::LocalDateTime d = kvr::diag::FromDayNumber(day);
    return kvr::diag::Format("%04d-%02d-%02d %02d:%02d:%02d.%03d", d.Year, d.Month, d.Day, ms / 3600000,
                             ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

std::string HighResTimeStamp()
{
    return HighResTimeToStr(HighResNow());
}

TKVRLogFileStream::TKVRLogFileStream(const std::string& FileName, unsigned short Mode)
    : Name(FileName)
{
    const char* how = Mode == fmCreate ? "wb" : (Mode & 3) == fmOpenRead ? "rb" : "r+b";
    File = std::fopen(FileName.c_str(), how);
    if (File == nullptr)
        throw EFileStreamError("Cannot open file \"" + FileName + "\"");
    std::fseek(File, 0, SEEK_END);
    try {
        WriteLine(HighResTimeStamp() + " Logging started.");
    } catch (...) {
        std::fclose(File);
        throw;
    }
}

TKVRLogFileStream::~TKVRLogFileStream()
{
    try {
        WriteLine(HighResTimeStamp() + " Logging stopped.");
    } catch (const EFileStreamError&) {
        // Nothing left to tell at the end of the protocol.
    }
    std::fclose(File);
}

void TKVRLogFileStream::Write(const std::string& Bytes)
{
    if (std::fwrite(Bytes.data(), 1, Bytes.size(), File) != Bytes.size() || std::fflush(File) != 0)
        throw EFileStreamError("Stream write error on \"" + Name + "\"");
}

void TKVRLogFileStream::WriteLine(const std::string& Text)
{
    Write(Text + "\r\n");
}

long TKVRLogFileStream::Seek(long Offset, int Origin)
{
    if (std::fseek(File, Offset, Origin) != 0)
        return -1;
    return std::ftell(File);
}
