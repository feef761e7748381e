#include "service/eventwait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace kvr::service {

void EventWait::Until(const std::function<bool()>& Done, unsigned Ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!Done()) {
        const qint64 left = static_cast<qint64>(Ms) - clock.elapsed();
        if (left <= 0)
            return;
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(static_cast<int>(left));
        FLoops.push_back(&loop);
        loop.exec();
        FLoops.erase(std::find(FLoops.begin(), FLoops.end(), &loop));
    }
}

void EventWait::Wake()
{
    for (QEventLoop* loop : FLoops)
        loop->quit();
}

} // namespace kvr::service
