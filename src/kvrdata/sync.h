#pragma once
// The library's lock primitive: a reentrant critical section, and its scoped guard.

#include <mutex>

namespace Kvrdata_ns {

class TMTAccess {
public:
    // The name only identifies the lock to the reader of the code.
    explicit TMTAccess(const char* /*Name*/) {}
    TMTAccess(const TMTAccess&) = delete;
    TMTAccess& operator=(const TMTAccess&) = delete;

    void Enter() { FMutex.lock(); }
    void Leave() { FMutex.unlock(); }

private:
    std::recursive_mutex FMutex;
};

// Creates the lock on first use and enters it for the guard's scope. A lock is never dropped
// while it may be waited on: the optional test is kept for callers, but a lock once created
// lives on, since another thread can already be waiting on it when the guarded data empties.
class TMTAccessHelper {
public:
    using TTestFunction = int (*)(void* Argument);

    TMTAccessHelper(TMTAccess** LockPtr, const char* Name, TTestFunction Test = nullptr, void* Argument = nullptr);
    ~TMTAccessHelper();
    TMTAccessHelper(const TMTAccessHelper&) = delete;
    TMTAccessHelper& operator=(const TMTAccessHelper&) = delete;

private:
    TMTAccess* FLock;
};

} // namespace Kvrdata_ns
