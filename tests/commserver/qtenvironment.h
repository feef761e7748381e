#pragma once
// One QCoreApplication for a whole test program; sockets, timers and processes need it.
#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        app_ = new QCoreApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QCoreApplication* app_ = nullptr;
};

// Runs the event loop for ms: the server in this process serves meanwhile.
inline void spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
