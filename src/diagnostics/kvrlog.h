#pragma once
// The log component of a window: time-stamped lines kept in memory and shown in a view, older
// lines written to a text file (optionally one per day) limited by age or size.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

enum TKVRLogLimitType { dltNone = 0, dltDays = 1, dltSize = 2 };
enum TKVRLogDestinationType { dldMemo = 0, dldFile = 1 };

// The set of destinations: bit 0 memo, bit 1 file.
struct TKVRLogDestinations {
    unsigned Bits = 1u << dldMemo;
    bool Contains(TKVRLogDestinationType D) const { return (Bits >> D) & 1u; }
    static TKVRLogDestinations Of(std::initializer_list<TKVRLogDestinationType> List)
    {
        TKVRLogDestinations d{0};
        for (auto x : List)
            d.Bits |= 1u << x;
        return d;
    }
};

// The text view that mirrors the lines (the program connects a text widget).
class TKVRLogView {
public:
    virtual ~TKVRLogView() = default;
    virtual void AppendLine(const std::string& Line) = 0;
    virtual void SetLines(const std::vector<std::string>& Lines) = 0;
    // False once the widget behind the view is gone; the log then forgets the view.
    virtual bool IsAlive() const { return true; }
};

class TKVRLog {
public:
    TKVRLog();
    ~TKVRLog();
    TKVRLog(const TKVRLog&) = delete;
    TKVRLog& operator=(const TKVRLog&) = delete;

    bool Enabled = false;
    bool DailyLog = false;
    int LimitValue = 0;  // days (dltDays) or bytes (dltSize)
    int FlushLimit = 0;  // a flush starts when more lines than this wait
    int FlushLeft = 0;   // a flush leaves this many lines
    int LogLevel = 0;    // lines up to this level are logged
    TKVRLogLimitType LimitBy = dltNone;
    TKVRLogDestinations Destination;

    // Path and name without extension; a given extension is cut off, every file ends in ".log".
    void FSetFileName(const std::string& Value);
    const std::string& FileName() const { return FFileName; }
    // The view; held weakly, so a destroyed view simply drops out.
    void FSetMemo(std::shared_ptr<TKVRLogView> Value);
    std::shared_ptr<TKVRLogView> MemoField() const { return FMemo.lock(); }

    void Message(const std::string& Text, int Level);
    void Flush(int Limit, int Left);
    void ClearLog() { Flush(0, 0); }
    std::string GetActualFileName();
    // The file name for day number Day (days since 30 December 1899); 0 = without date.
    std::string GenerateFileName(std::int64_t Day) const;
    void CheckLimit();
    void UpdateStrings();

    const std::deque<std::string>& Lines() const { return FLines; }
    // The clock of the stamps and file names; tests set a fixed one.
    void SetClock(std::function<std::chrono::system_clock::time_point()> Now) { FNow = std::move(Now); }

private:
    std::int64_t Today() const;

    std::string FFileName = "Protocol";
    std::weak_ptr<TKVRLogView> FMemo;
    std::deque<std::string> FLines;
    // Reentrant: a view that processes messages while it is updated may log again.
    std::recursive_mutex MemoLock;
    std::function<std::chrono::system_clock::time_point()> FNow;
};
