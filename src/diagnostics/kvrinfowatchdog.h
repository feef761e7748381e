#pragma once
// The flush thread of the info formatter: wakes once a period, or at once when signalled, and
// writes the formatter's buffered log lines. Its dead-lock check exists but is never armed.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TKVRInfoWatchDog {
public:
    using TFlush = std::function<void()>;
    using TMissReport = std::function<void()>;

    TKVRInfoWatchDog(std::recursive_mutex* LogLockRef, TFlush OnFlush,
                     std::chrono::milliseconds Period = std::chrono::milliseconds(1000),
                     TMissReport OnMissReport = {});
    // Stops the thread if nobody did; waits for its last flush.
    ~TKVRInfoWatchDog();
    TKVRInfoWatchDog(const TKVRInfoWatchDog&) = delete;
    TKVRInfoWatchDog& operator=(const TKVRInfoWatchDog&) = delete;

    void SetEvent();
    void Terminate();
    // Terminate, wake and wait for the thread's last flush.
    void Stop();

private:
    void Execute();
    void Flush();
    void MissCheck();

    [[maybe_unused]] std::recursive_mutex* LogLockRef; // the formatter's log lock; the flush operation takes it
    TFlush OnFlush;
    int MissCount = 0;
    bool Armed = false; // nothing arms the dead-lock report
    TMissReport OnMissReport;
    std::chrono::milliseconds Period;

    // A manual-reset event, signalled from the start so the first flush runs at once.
    std::mutex EventMutex;
    std::condition_variable EventCond;
    bool Signalled = true;
    std::atomic<bool> Terminated{false};
    std::thread Thread;
};
