// Leaks one block from inside an event-loop callback, where every allocation's stack runs
// through the framework's own frames. The leak checker, with the suppressions the tests run
// under, must still report it: a leak of ours is never hidden by a third party's frames.
#include <QCoreApplication>
#include <QTimer>

#include <cstring>
#include <new>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTimer::singleShot(0, &app, [&app] {
        void* lost = ::operator new(64);
        std::memset(lost, 1, 64);
        asm volatile("" : : "r"(lost) : "memory");
        app.quit();
    });
    return app.exec();
}
