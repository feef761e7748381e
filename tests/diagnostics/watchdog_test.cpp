#include "diagnostics/kvrinfowatchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

// A burst that passes the threshold while the previous flush is still writing must still be
// written at once, not a whole period later.
TEST(WatchDog, SignalDuringAFlushWakesTheNextRound)
{
    std::recursive_mutex logLock;
    std::atomic<int> flushes{0};
    TKVRInfoWatchDog* self = nullptr;
    TKVRInfoWatchDog dog(
        &logLock,
        [&] {
            if (flushes.fetch_add(1) == 0 && self)
                self->SetEvent();
        },
        std::chrono::milliseconds(60000), nullptr);
    self = &dog;
    dog.SetEvent();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (flushes.load() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_GE(flushes.load(), 2);
    dog.Stop();
}
