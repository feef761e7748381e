#pragma once
// A wait that lets the event loop run, idle, until what it waits for has happened or its time
// is up: for the service tools' waits on a device or on the user, which must neither spin nor
// block the window.

#include <functional>
#include <vector>

class QEventLoop;

namespace kvr::service {

class EventWait {
public:
    EventWait() = default;
    EventWait(const EventWait&) = delete;
    EventWait& operator=(const EventWait&) = delete;

    // Returns once Done holds or Ms milliseconds have passed. Done is asked at the start and
    // after every Wake; in between the event loop runs and the thread sleeps.
    void Until(const std::function<bool()>& Done, unsigned Ms);
    // Makes every running Until ask its Done again.
    void Wake();

private:
    std::vector<QEventLoop*> FLoops;
};

} // namespace kvr::service
