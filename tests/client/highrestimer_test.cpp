#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <stdexcept>

#include "client/highrestimer.h"

namespace {

TEST(HighResTimer, NewTimerIsDisabledWithOneSecond)
{
    THighResTimer T;
    EXPECT_EQ(T.GetInterval(), 1000u);
    EXPECT_FALSE(T.GetEnabled());
    EXPECT_FALSE(T.GetRunning());
    int Ticks = 0;
    T.OnTimer = [&](QObject*) { ++Ticks; };
    T.DoTimer();
    EXPECT_EQ(Ticks, 0);
}

TEST(HighResTimer, IntervalIsClampedAndRestartsOnlyOnChange)
{
    THighResTimer T;
    T.SetInterval(0);
    EXPECT_EQ(T.GetInterval(), THighResTimer::MinInterval);
    T.SetInterval(5000000);
    EXPECT_EQ(T.GetInterval(), THighResTimer::MaxInterval);
    T.SetInterval(20);
    T.SetEnabled(true);
    EXPECT_TRUE(T.GetRunning());
    T.SetEnabled(true);
    EXPECT_TRUE(T.GetRunning());
    T.SetEnabled(false);
    EXPECT_FALSE(T.GetRunning());
}

TEST(HighResTimer, DesignModeIgnoresEnabling)
{
    THighResTimer T(nullptr, false, true);
    T.SetEnabled(true);
    EXPECT_FALSE(T.GetEnabled());
    EXPECT_FALSE(T.GetRunning());
}

TEST(HighResTimer, TicksRunInTheEventLoop)
{
    THighResTimer T;
    int Ticks = 0;
    T.OnTimer = [&](QObject* Sender) {
        EXPECT_EQ(Sender, &T);
        ++Ticks;
    };
    T.SetInterval(5);
    T.SetEnabled(true);
    QElapsedTimer Clock;
    Clock.start();
    while (Ticks < 3 && Clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(Ticks, 3);
}

TEST(HighResTimer, HandlerThatPumpsIsNotEnteredTwice)
{
    THighResTimer T;
    int Depth = 0;
    int MaxDepth = 0;
    int Calls = 0;
    T.OnTimer = [&](QObject*) {
        ++Calls;
        MaxDepth = std::max(MaxDepth, ++Depth);
        EXPECT_TRUE(T.GetWorking());
        T.DoTimer(); // a tick that falls inside the handler
        --Depth;
    };
    T.SetEnabled(true);
    T.DoTimer();
    EXPECT_EQ(Calls, 1);
    EXPECT_EQ(MaxDepth, 1);
    EXPECT_FALSE(T.GetWorking());
}

// An exception from a tick must not leave Working set: the poll would stop for good.
TEST(HighResTimer, ExceptionInTickKeepsThePollAlive)
{
    THighResTimer T;
    int Calls = 0;
    T.OnTimer = [&](QObject*) {
        if (++Calls == 1)
            throw std::runtime_error("bad block");
    };
    T.SetEnabled(true);
    EXPECT_NO_THROW(T.DoTimer());
    EXPECT_FALSE(T.GetWorking());
    T.DoTimer();
    EXPECT_EQ(Calls, 2);
}

TEST(HighResTimer, GuardDisablesForItsScope)
{
    THighResTimer T;
    T.SetEnabled(true);
    {
        TDisableTimerTempl<THighResTimer> Guard(T);
        EXPECT_FALSE(T.GetEnabled());
    }
    EXPECT_TRUE(T.GetEnabled());
}

} // namespace
