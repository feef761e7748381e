#pragma once
// A millisecond clock that does not jump with the system clock within a day: milliseconds since
// 30 December 1899, counted by the millisecond tick and anchored to the wall clock once a day.
// And a text protocol file stream that stamps its start and its end.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>

#include "diagnostics/platform.h"

std::uint64_t HighResNow();
// "yyyy-mm-dd hh:nn:ss.zzz"
std::string HighResTimeToStr(std::uint64_t Ms);
std::string HighResTimeStamp();

// Embedded by the users of the clock; it holds no data.
class THighResTime {
public:
    virtual ~THighResTime() = default;
};

namespace kvr::diag {

// The clock with its sources; HighResNow uses one for the process.
class HighResClock {
public:
    using TickSource = std::function<std::uint32_t()>;   // millisecond tick, wraps after 2^32
    using WallSource = std::function<LocalDateTime()>;   // local date and time

    HighResClock(TickSource Tick = {}, WallSource Wall = {});
    std::uint64_t Now();

private:
    TickSource Tick;
    WallSource Wall;
    std::mutex Lock;
    std::int64_t SyncDay = 0;   // 0 at start, so the first call synchronises
    std::int64_t TickBase = 0;  // tick value of midnight of SyncDay
    std::int64_t SyncTick = 0;
};

// Low 32 bits of the monotonic clock in milliseconds.
std::uint32_t TickCount();

} // namespace kvr::diag

class EFileStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A protocol file: "<stamp> Logging started." when opened, "<stamp> Logging stopped." when
// closed, lines ended by CR LF.
class TKVRLogFileStream {
public:
    enum : unsigned short { fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002, fmCreate = 0xFF00 };

    // fmCreate starts an empty file; the open modes need an existing file. Throws
    // EFileStreamError when the file cannot be opened.
    TKVRLogFileStream(const std::string& FileName, unsigned short Mode);
    ~TKVRLogFileStream();
    TKVRLogFileStream(const TKVRLogFileStream&) = delete;
    TKVRLogFileStream& operator=(const TKVRLogFileStream&) = delete;

    // Throws EFileStreamError when the bytes cannot be written.
    void WriteLine(const std::string& Text);
    // Moves within the file; returns the new position.
    long Seek(long Offset, int Origin);

private:
    void Write(const std::string& Bytes);

    THighResTime Time;
    std::FILE* File = nullptr;
    std::string Name;
};
