#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/critical_section.h"
#include "tests/support/thread_state.h"
#include "tests/support/wait_until.h"

namespace platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    Event e(true, false);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    SetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 10), WAIT_OBJECT_0);
    ResetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(Event(true, true), 0), WAIT_OBJECT_0);
}

TEST(EventTest, AutoResetReleasesExactlyOneWait) {
    Event e(false, true);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);

    // Four threads wait; each SetEvent lets exactly one through.
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (WaitForSingleObject(e, 5000) == WAIT_OBJECT_0) ++released;
        });
    }
    for (int i = 1; i <= 4; ++i) {
        SetEvent(e);
        EXPECT_TRUE(test_support::WaitUntil([&] { return released.load() >= i; }));
        EXPECT_EQ(released.load(), i);
    }
    for (auto& t : waiters)
        t.join();
    // Had a signal let two through, a later one would have found no waiter and stayed set.
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
}

TEST(EventTest, TimedWaitTimesOutAfterRoughlyTheLimit) {
    Event e(true, false);
    const auto start = steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(e, 100), WAIT_TIMEOUT);
    const auto took = steady_clock::now() - start;
    EXPECT_GE(took, milliseconds(100));
    EXPECT_LT(took, milliseconds(2000));
}

TEST(EventTest, WaitForMultipleReportsTheSignalledIndexAndWakesOnLateSignal) {
    Event a(true, false), b(false, false), c(true, false);
    const Event* all[] = {&a, &b, &c};
    EXPECT_EQ(WaitForMultipleObjects(all, 0), WAIT_TIMEOUT);
    SetEvent(c);
    SetEvent(b);
    EXPECT_EQ(WaitForMultipleObjects(all, 0), WAIT_OBJECT_0 + 1);  // lowest index first
    EXPECT_EQ(WaitForMultipleObjects(all, 0), WAIT_OBJECT_0 + 2);  // b was consumed
    ResetEvent(c);

    // The signal comes once this thread is blocked in the wait.
    const pid_t waiter = ::gettid();
    std::thread setter([&] {
        test_support::WaitUntilThreadSleeps(waiter);
        SetEvent(a);
    });
    EXPECT_EQ(WaitForMultipleObjects(all, INFINITE), WAIT_OBJECT_0);
    setter.join();
    EXPECT_EQ(WaitForMultipleObjects({}, 0), WAIT_FAILED);
}

TEST(CriticalSectionTest, IsReentrantAndExcludesOtherThreads) {
    CriticalSection section;
    EnterCriticalSection(&section);
    EXPECT_TRUE(section.TryEnter());  // the holder may take it again
    section.Leave();
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = section.TryEnter(); }).join();
    EXPECT_FALSE(otherGotIt);
    LeaveCriticalSection(&section);
    std::thread([&] {
        otherGotIt = section.TryEnter();
        if (otherGotIt) section.Leave();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

}  // namespace
}  // namespace platform
