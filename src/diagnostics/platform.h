#pragma once
// What the diagnostics need from the operating system: formatting, the local date and time,
// thread and process numbers, debugger presence, the program's folder and a writable log folder.

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <string>

namespace kvr::diag {

// printf into a string; false when the format cannot be formatted.
bool VFormatTo(std::string& Out, const char* Fmt, va_list Args);
std::string Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));

// A local date and time broken into its parts.
struct LocalDateTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0;
    int Micro = 0; // 0..999,999

    // Whole days since 30 December 1899 (day 0 of the date values the system stores).
    std::int64_t DayNumber() const;
    std::int64_t MsOfDay() const { return ((Hour * 60 + Minute) * 60 + Second) * 1000LL + Micro / 1000; }
};

LocalDateTime ToLocal(std::chrono::system_clock::time_point Time);
LocalDateTime LocalNow();
// The date of day number Day (days since 30 December 1899), midnight.
LocalDateTime FromDayNumber(std::int64_t Day);
// Adds whole days to a date (the time of day is kept).
LocalDateTime AddDays(const LocalDateTime& Date, int Days);

std::uint32_t CurrentThreadId();
std::uint32_t CurrentProcessId();
bool DebuggerPresent();

// Folder of the running executable, with a trailing '/'; "./" when it cannot be found.
std::string ProgramFolder();
// True when files can be created in Folder.
bool FolderWritable(const std::string& Folder);
// True when Path names a regular file (a symbolic link counts as what it points to) or
// nothing yet. Files of settings are read only then: opening a pipe or a device blocks.
bool RegularFileOrNone(const std::string& Path);
// A per-user folder for log files when the program's folder takes none, with a trailing '/'.
// Created on demand; empty when none can be made.
std::string UserLogFolder();

// Stand-in for the debugger output: one text to stderr, a line feed added when missing.
void WriteDebugOutput(const std::string& Text);

} // namespace kvr::diag
