#include "platform/suspend_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/event.h"
#include "platform/power.h"
#include "tests/platform/logind_mock.h"
#include "tests/support/helper_process.h"
#include "tests/support/sandbox.h"

namespace platform {
namespace {

using Entries = std::vector<std::string>;

const std::wstring kWho = L"Orvandel";
const std::wstring kWhy = L"みなと総合の予約録画が7分以内に始まります";
const std::string kLock = "sleep,Orvandel,みなと総合の予約録画が7分以内に始まります,block";

class SuspendQueryTest : public ::testing::Test {
  protected:
    test_support::Sandbox sandbox;
};

TEST_F(SuspendQueryTest, ARefusalHoldsOneSleepBlockLockUntilTheAnswerAllowsSleep) {
    START_LOGIND_MOCK(logind, sandbox.Native(""));
    {
        SuspendQueryAnswer answer(kWho, kWhy);
        answer.Answer(TRUE);
        EXPECT_FALSE(answer.Blocking());
        EXPECT_EQ(logind.Inhibitors(0), Entries{});

        answer.Answer(BROADCAST_QUERY_DENY);
        EXPECT_TRUE(answer.Blocking());
        EXPECT_EQ(logind.Inhibitors(1), Entries{kLock});
        // Asked again every minute: the lock it holds is enough. Inhibit answers only after
        // logind recorded the lock, so a second one would show at once.
        answer.Answer(BROADCAST_QUERY_DENY);
        EXPECT_EQ(logind.Inhibitors(1), Entries{kLock});

        // Closing the descriptor is the release.
        answer.Answer(TRUE);
        EXPECT_FALSE(answer.Blocking());
        EXPECT_EQ(logind.Inhibitors(0), Entries{});

        answer.Answer(BROADCAST_QUERY_DENY);
        EXPECT_EQ(logind.Inhibitors(1), Entries{kLock});
    }
    // Destroyed while refusing: the lock goes with it.
    EXPECT_EQ(logind.Inhibitors(0), Entries{});
}

TEST_F(SuspendQueryTest, AChildStartedWhileTheLockIsHeldDoesNotKeepIt) {
    START_LOGIND_MOCK(logind, sandbox.Native(""));
    SuspendQueryAnswer answer(kWho, kWhy);
    answer.Answer(BROADCAST_QUERY_DENY);
    ASSERT_EQ(logind.Inhibitors(1), Entries{kLock});
    // A viewer the timer starts lives on after the recording; it must not inherit the lock.
    test_support::HelperProcess child("/bin/cat", {});
    ASSERT_GT(child.Pid(), 0);
    answer.Answer(TRUE);
    EXPECT_EQ(logind.Inhibitors(0), Entries{});
    EXPECT_EQ(child.CloseAndWait(), 0);
}

TEST_F(SuspendQueryTest, PrepareForSleepAfterAResumeReachesTheResumeListenersOnce) {
    START_LOGIND_MOCK(logind, sandbox.Native(""));
    std::atomic<int> resumes{0};
    const Event resumed(false, false);
    const int id = AddResumeListener([&] {
        ++resumes;
        SetEvent(resumed);
    });
    // The announcement before the sleep is no resume; the one after it is.
    ASSERT_TRUE(logind.EmitPrepareForSleep(true));
    ASSERT_TRUE(logind.EmitPrepareForSleep(false));
    ASSERT_EQ(WaitForSingleObject(resumed, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(resumes.load(), 1);
    ASSERT_TRUE(logind.EmitPrepareForSleep(true));
    ASSERT_TRUE(logind.EmitPrepareForSleep(false));
    ASSERT_EQ(WaitForSingleObject(resumed, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(resumes.load(), 2);
    RemoveResumeListener(id);
}

TEST_F(SuspendQueryTest, AListenerMayRemoveItselfWhenTheResumeArrives) {
    START_LOGIND_MOCK(logind, sandbox.Native(""));
    std::atomic<int> id{0};
    const Event removed(true, false);
    id = AddResumeListener([&] {
        RemoveResumeListener(id);  // the last listener: its watcher ends on its own thread
        SetEvent(removed);
    });
    ASSERT_TRUE(logind.EmitPrepareForSleep(false));
    ASSERT_EQ(WaitForSingleObject(removed, 10000), WAIT_OBJECT_0);

    // A new listener is heard by a new watcher.
    const Event resumed(true, false);
    const int again = AddResumeListener([&] { SetEvent(resumed); });
    ASSERT_TRUE(logind.EmitPrepareForSleep(false));
    EXPECT_EQ(WaitForSingleObject(resumed, 10000), WAIT_OBJECT_0);
    RemoveResumeListener(again);
}

TEST_F(SuspendQueryTest, WithoutASystemBusNothingFailsAndOneDebugLineSaysSo) {
    const std::string noBus = "unix:path=" + sandbox.Native("no-bus").string();
    sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", noBus);
    sandbox.SetEnv("ORVANDEL_DEBUG_LOG", sandbox.Native("debug.log"));
    {
        SuspendQueryAnswer answer(kWho, kWhy);
        answer.Answer(BROADCAST_QUERY_DENY);
        EXPECT_FALSE(answer.Blocking());
        answer.Answer(BROADCAST_QUERY_DENY);  // tried again, quietly
        answer.Answer(TRUE);
        const int id = AddResumeListener([] {});
        RemoveResumeListener(id);
    }
    const auto lines = sandbox.Lines("debug.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("logind: no system bus at " + noBus)) << lines[0];
}

TEST_F(SuspendQueryTest, UnderThePowerSimulationTheLockIsOnlyWritten) {
    sandbox.SetEnv("ORVANDEL_SIM_POWER", sandbox.Native("power.log"));
    sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    {
        SuspendQueryAnswer answer(kWho, kWhy);
        answer.Answer(TRUE);
        answer.Answer(BROADCAST_QUERY_DENY);
        EXPECT_TRUE(answer.Blocking());
        answer.Answer(BROADCAST_QUERY_DENY);
        answer.Answer(TRUE);
        answer.Answer(TRUE);
        answer.Answer(BROADCAST_QUERY_DENY);
    }
    std::vector<std::string> requests;
    for (const std::string& line : sandbox.Lines("power.log"))
        requests.push_back(line.substr(line.find(' ') + 1));
    EXPECT_EQ(requests,
              (Entries{"sleep-blocked", "sleep-allowed", "sleep-blocked", "sleep-allowed"}));
}

}  // namespace
}  // namespace platform
