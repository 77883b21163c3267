#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace platform {
namespace {

TEST(ThreadTest, SuspendedThreadRunsOnlyAfterResume) {
    auto ran = std::make_shared<std::atomic<bool>>(false);
    Thread t(
        [ran] {
            ran->store(true);
            return DWORD{7};
        },
        true);
    EXPECT_EQ(t.Wait(50), WAIT_TIMEOUT);
    EXPECT_FALSE(ran->load());
    t.Resume();
    EXPECT_EQ(t.Wait(5000), WAIT_OBJECT_0);
    EXPECT_TRUE(ran->load());
    EXPECT_EQ(t.ExitCode(), 7u);
}

TEST(ThreadTest, StopEndsAThreadThatWatchesItsStopEvent) {
    Event stop(true, false);
    Thread t([stop] { return WaitForSingleObject(stop, INFINITE) == WAIT_OBJECT_0 ? 0u : 1u; },
             false);
    EXPECT_TRUE(t.Stop(stop, 2000));
    EXPECT_TRUE(t.HasEnded());
    EXPECT_EQ(t.ExitCode(), 0u);
}

TEST(ThreadTest, AThreadThatDoesNotStopIsDetachedAndKeepsItsStateAlive) {
    Event stop(true, false);
    Event release(true, false);
    auto state = std::make_shared<int>(42);
    auto seen = std::make_shared<std::atomic<int>>(0);
    Event finished(true, false);
    {
        Thread t(
            [release, state, seen, finished] {
                WaitForSingleObject(release, INFINITE);  // ignores the stop event
                seen->store(*state);
                SetEvent(finished);
                return DWORD{0};
            },
            false);
        EXPECT_FALSE(t.Stop(stop, 50));
        EXPECT_FALSE(t.HasEnded());
    }
    // The owner and its Thread object are gone; the detached thread still has its state.
    state.reset();
    SetEvent(release);
    ASSERT_EQ(WaitForSingleObject(finished, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(seen->load(), 42);
}

TEST(ThreadTest, AThreadNeverResumedNeverRuns) {
    auto ran = std::make_shared<std::atomic<bool>>(false);
    {
        Thread t(
            [ran] {
                ran->store(true);
                return DWORD{0};
            },
            true);
    }
    EXPECT_FALSE(ran->load());
}

}  // namespace
}  // namespace platform
