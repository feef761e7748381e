#pragma once
// The periodic tick of the client's receive poll: a precise QTimer in the GUI thread. Periods
// that pass while the GUI thread is busy merge into one tick instead of queueing, and a tick that
// falls while the handler still runs (it may pump the message loop) is dropped.

#include <QObject>

#include <cstdint>
#include <functional>

class QTimer;

class THighResTimer : public QObject {
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    explicit THighResTimer(QObject* Owner = nullptr, bool ODS = false, bool Designing = false);
    ~THighResTimer() override;
    THighResTimer(const THighResTimer&) = delete;
    THighResTimer& operator=(const THighResTimer&) = delete;

    // Clamped to [MinInterval, MaxInterval]; a change restarts a running timer.
    void SetInterval(unsigned Value);
    void SetEnabled(bool Value);

    unsigned GetInterval() const { return FInterval; }
    bool GetEnabled() const { return FEnabled; }
    bool GetWorking() const { return FWorking; }
    bool GetRunning() const; // a periodic timer is running
    static constexpr unsigned MinInterval = 1;
    static constexpr unsigned MaxInterval = 1000000;

    // One tick: runs OnTimer unless disabled or already inside it. Working is cleared however
    // the handler ends; an exception from the handler is traced and ends the tick only.
    void DoTimer();

    TNotifyEvent OnTimer;
    bool ODS = false; // kept for the forms that set it; no effect

private:
    void StartTimer();
    void StopTimer();

    QTimer* Timer = nullptr;
    unsigned FInterval = 1000;
    bool FEnabled = false;
    bool FWorking = false;
    bool FDesigning = false;
};

// Switches a timer off for the length of a scope and restores its previous state.
template <class T>
class TDisableTimerTempl {
public:
    explicit TDisableTimerTempl(T& Timer)
        : Saved(Timer.GetEnabled())
        , Timer(Timer)
    {
        Timer.SetEnabled(false);
    }
    ~TDisableTimerTempl() { Timer.SetEnabled(Saved); }
    TDisableTimerTempl(const TDisableTimerTempl&) = delete;
    TDisableTimerTempl& operator=(const TDisableTimerTempl&) = delete;

private:
    bool Saved;
    T& Timer;
};
