#include "kvrdata/sync.h"

namespace Kvrdata_ns {

namespace {
// Creation of a lock on first use is itself guarded, so two threads never create two locks.
std::mutex& creationMutex()
{
    static std::mutex m;
    return m;
}
} // namespace

TMTAccessHelper::TMTAccessHelper(TMTAccess** LockPtr, const char* Name, TTestFunction, void*)
{
    {
        std::lock_guard<std::mutex> guard(creationMutex());
        if (*LockPtr == nullptr)
            *LockPtr = new TMTAccess(Name);
        FLock = *LockPtr;
    }
    FLock->Enter();
}

TMTAccessHelper::~TMTAccessHelper()
{
    FLock->Leave();
}

} // namespace Kvrdata_ns
