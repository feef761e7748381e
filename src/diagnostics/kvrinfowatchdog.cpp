#include "diagnostics/kvrinfowatchdog.h"

TKVRInfoWatchDog::TKVRInfoWatchDog(std::recursive_mutex* LogLockRef, TFlush OnFlush,
                                   std::chrono::milliseconds Period, TMissReport OnMissReport)
    : LogLockRef(LogLockRef)
    , OnFlush(std::move(OnFlush))
    , OnMissReport(std::move(OnMissReport))
    , Period(Period)
{
    Thread = std::thread([this] { Execute(); });
}

TKVRInfoWatchDog::~TKVRInfoWatchDog()
{
    Stop();
}

void TKVRInfoWatchDog::SetEvent()
{
    {
        std::lock_guard lock(EventMutex);
        Signalled = true;
    }
    EventCond.notify_one();
}

void TKVRInfoWatchDog::Terminate()
{
    Terminated = true;
}

void TKVRInfoWatchDog::Stop()
{
    Terminate();
    SetEvent();
    if (Thread.joinable())
        Thread.join();
}

void TKVRInfoWatchDog::Flush()
{
    if (OnFlush)
        OnFlush();
}

void TKVRInfoWatchDog::Execute()
{
    while (!Terminated) {
        bool woken;
        {
            std::unique_lock lock(EventMutex);
            woken = EventCond.wait_for(lock, Period, [this] { return Signalled; });
            // Taken before the flush: a signal that comes while the buffer is being written
            // wakes the next round at once instead of being lost.
            Signalled = false;
        }
        if (Terminated)
            break;
        Flush();
        if (woken)
            MissCount = 0;
        else
            MissCheck();
    }
    Flush();
}

void TKVRInfoWatchDog::MissCheck()
{
    if (!Armed)
        return;
    // The 61st time-out in a row reports once, until a signalled wake starts counting afresh.
    if (MissCount++ == 60 && OnMissReport)
        OnMissReport();
}
