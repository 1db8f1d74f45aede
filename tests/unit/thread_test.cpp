#include "base/thread.h"

#include "base/handle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

win32::unique_handle ManualEvent() {
    return win32::unique_handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

}  // namespace

TEST(Thread, RunsBesideItsOwnerAndWaitTimesOutUntilItEnds) {
    const auto release = ManualEvent();
    DWORD workerId = 0;
    Thread thread([&] {
        workerId = GetCurrentThreadId();
        WaitForSingleObject(release.get(), INFINITE);
    });
    ASSERT_TRUE(thread.Started());
    EXPECT_FALSE(thread.Wait(0));
    EXPECT_FALSE(thread.Wait(50)) << "still blocked on the event";
    SetEvent(release.get());
    ASSERT_TRUE(thread.Wait(10000));
    EXPECT_TRUE(thread.Wait(0)) << "an ended thread stays ended";
    EXPECT_NE(workerId, 0u);
    EXPECT_NE(workerId, GetCurrentThreadId());
}

TEST(Thread, DestructorWaitsForTheWorkAndAThrowStaysOnTheThread) {
    std::atomic<bool> finished{false};
    {
        Thread slow([&] {
            Sleep(200);
            finished = true;
        });
        ASSERT_TRUE(slow.Started());
    }
    EXPECT_TRUE(finished);

    Thread throwing([] { throw std::runtime_error("ends the thread only"); });
    EXPECT_TRUE(throwing.Wait(10000));
}

TEST(Thread, LockKeepsConcurrentUpdatesWhole) {
    constexpr int kThreads = 4;
    constexpr int kIncrements = 20000;
    Lock lock;
    long counter = 0;
    std::vector<std::unique_ptr<Thread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(std::make_unique<Thread>([&] {
            for (int k = 0; k < kIncrements; ++k) {
                LockGuard guard(lock);
                const long seen = counter;
                YieldProcessor();
                counter = seen + 1;
            }
        }));
    }
    for (auto& thread : threads) ASSERT_TRUE(thread->Started() && thread->Wait(30000));
    EXPECT_EQ(counter, kThreads * kIncrements);
}

TEST(StartThread, ConditionVariableWakesTheWaiterOnceTheWorkIsDone) {
    Lock lock;
    ConditionVariable changed;
    bool done = false;
    DWORD workerId = 0;
    ASSERT_TRUE(StartThread([&] {
        Sleep(50);
        LockGuard guard(lock);
        workerId = GetCurrentThreadId();
        done = true;
        changed.NotifyAll();
    }));
    LockGuard guard(lock);
    changed.Wait(lock, [&] { return done; });
    EXPECT_NE(workerId, GetCurrentThreadId());
}
