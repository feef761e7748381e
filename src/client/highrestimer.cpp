#include "client/highrestimer.h"

#include <QTimer>

#include <algorithm>
#include <exception>

#include "diagnostics/kvrinfoformat.h"

THighResTimer::THighResTimer(QObject* Owner, bool ODS, bool Designing)
    : QObject(Owner)
    , ODS(ODS)
    , FDesigning(Designing)
{
    Timer = new QTimer(this);
    Timer->setTimerType(Qt::PreciseTimer);
    Timer->setSingleShot(false);
    QObject::connect(Timer, &QTimer::timeout, this, [this] { DoTimer(); });
}

THighResTimer::~THighResTimer()
{
    TKVRFI fi("THighResTimer::~THighResTimer");
    StopTimer();
    FEnabled = false;
    OnTimer = nullptr;
}

bool THighResTimer::GetRunning() const
{
    return Timer->isActive();
}

void THighResTimer::SetInterval(unsigned Value)
{
    Value = std::clamp(Value, MinInterval, MaxInterval);
    if (Value == FInterval)
        return;
    FInterval = Value;
    if (FEnabled) {
        StopTimer();
        StartTimer();
    }
}

void THighResTimer::SetEnabled(bool Value)
{
    if (FDesigning || Value == FEnabled)
        return;
    FEnabled = Value;
    if (Value)
        StartTimer();
    else
        StopTimer();
}

void THighResTimer::StartTimer()
{
    Timer->start(static_cast<int>(FInterval));
}

void THighResTimer::StopTimer()
{
    Timer->stop();
}

void THighResTimer::DoTimer()
{
    if (!FEnabled || FWorking || !OnTimer)
        return;
    struct WorkingScope {
        bool& Flag;
        explicit WorkingScope(bool& F) : Flag(F) { Flag = true; }
        ~WorkingScope() { Flag = false; }
    } working(FWorking);
    // A fault inside one tick must not stop the poll for good.
    try {
        OnTimer(this);
    } catch (const std::exception& e) {
        InfoFormatter->Trace(0x8000, "THighResTimer::DoTimer: tick ended by an exception: %s", e.what());
    } catch (...) {
        InfoFormatter->Trace(0x8000, "THighResTimer::DoTimer: tick ended by an unknown exception");
    }
}
