#pragma once
// The one application object a fuzzing process needs for the server's timers and sockets.
#include <QCoreApplication>

inline QCoreApplication& FuzzApp()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}
