#include "platform/power.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/last_error.h"
#include "platform/simulated_power.h"
#include "platform/waitable_timer.h"
#include "tests/support/services_helper.h"
#include "tests/support/sandbox.h"

namespace platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::int64_t kMs = static_cast<std::int64_t>(kFileTimePerMillisecond);

// Every test runs with the power simulation: nothing here may reach the machine.
class PowerTest : public ::testing::Test {
  protected:
    void SetUp() override { sandbox.SetEnv("ORVANDEL_SIM_POWER", sandbox.Native("power.log")); }

    std::vector<std::string> Lines() const { return sandbox.Lines("power.log"); }
    // The requests of the simulation file, without their time stamps.
    std::vector<std::string> Requests() const {
        std::vector<std::string> out;
        for (const std::string& line : Lines())
            out.push_back(line.substr(line.find(' ') + 1));
        return out;
    }

    test_support::Sandbox sandbox;
};

TEST_F(PowerTest, StandbyAndHibernationAreWrittenAndFollowedByAResume) {
    std::atomic<int> resumes{0};
    const int id = AddResumeListener([&] { ++resumes; });
    EXPECT_EQ(EnterSleepState(TRUE), 1);
    EXPECT_EQ(EnterSleepState(FALSE), 1);
    EXPECT_TRUE(SetSystemPowerState(TRUE, FALSE));
    EXPECT_EQ(Requests(), (std::vector<std::string>{"standby", "hibernate", "standby"}));
    EXPECT_EQ(resumes.load(), 3);
    RemoveResumeListener(id);
    EnterSleepState(TRUE);
    EXPECT_EQ(resumes.load(), 3);
}

TEST_F(PowerTest, AWakeTimerFiresOnceAtItsDueTimeAndReArmingReplacesIt) {
    WaitableTimer timer(L"FriioOrvandel");
    const std::uint64_t now = Clock::Instance().NowLocal();
    ASSERT_TRUE(timer.Set(-10'000 * kMs, true));
    const auto start = steady_clock::now();
    ASSERT_TRUE(timer.Set(-200 * kMs, true));  // replaces the 10-s arming
    EXPECT_EQ(WaitForSingleObject(timer.Signal(), 5000), WAIT_OBJECT_0);
    EXPECT_GE(steady_clock::now() - start, milliseconds(195));
    EXPECT_LT(steady_clock::now() - start, milliseconds(5000));
    EXPECT_EQ(WaitForSingleObject(timer.Signal(), 0), WAIT_TIMEOUT);  // automatic reset
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "wake-armed " + FormatLocalTime(now + 10'000 * kMs));
    EXPECT_TRUE(requests[1].starts_with("wake-armed "));

    // An absolute local due time; cancelling a pending one is written too.
    ASSERT_TRUE(
        timer.Set(static_cast<std::int64_t>(Clock::Instance().NowLocal()) + 100 * kMs, false));
    EXPECT_EQ(WaitForSingleObject(timer.Signal(), 5000), WAIT_OBJECT_0);
    ASSERT_TRUE(timer.Set(-100 * kMs, true));
    ASSERT_TRUE(timer.Cancel());
    // Once a timer due later has fired, the cancelled one would have fired too.
    WaitableTimer later(L"FriioOrvandelLater");
    ASSERT_TRUE(later.Set(-300 * kMs, false));
    EXPECT_EQ(WaitForSingleObject(later.Signal(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(timer.Signal(), 0), WAIT_TIMEOUT);
    EXPECT_EQ(Requests().back(), "wake-cancelled");
    EXPECT_EQ(Requests().size(), 4u);  // the timer without resume wrote nothing
    EXPECT_FALSE(timer.Set(0, true));
}

// Linux refuses the wake alarm to a program without CAP_WAKE_ALARM: the timer still fires, but
// says, as Windows does for a machine without resume support, that it cannot wake the machine.
TEST_F(PowerTest, ARefusedWakeAlarmStillFiresButTellsThatTheMachineWillNotWake) {
    sandbox.SetEnv("ORVANDEL_SIM_NO_WAKE_ALARM", "1");
    WaitableTimer timer(L"FriioOrvandel");
    const std::uint64_t now = Clock::Instance().NowLocal();
    ASSERT_TRUE(timer.Set(-10'000 * kMs, true));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_EQ(Requests(),
              std::vector<std::string>{"wake-refused " + FormatLocalTime(now + 10'000 * kMs)});
    ASSERT_TRUE(timer.Set(-100 * kMs, true));
    EXPECT_EQ(WaitForSingleObject(timer.Signal(), 5000), WAIT_OBJECT_0);
    ASSERT_TRUE(timer.Set(-10'000 * kMs, true));
    ASSERT_TRUE(timer.Cancel());  // nothing was armed in the machine, so nothing is cancelled
    EXPECT_EQ(Requests().size(), 3u);
    EXPECT_EQ(Requests().back().substr(0, 13), "wake-refused ");

    // A timer without resume asks nothing of the machine; with the alarm allowed again the
    // resume is armed.
    ASSERT_TRUE(timer.Set(-10'000 * kMs, false));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    sandbox.SetEnv("ORVANDEL_SIM_NO_WAKE_ALARM", "");
    SetLastError(ERROR_NOT_SUPPORTED);
    ASSERT_TRUE(timer.Set(-10'000 * kMs, true));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(Requests().back().substr(0, 11), "wake-armed ");
}

TEST_F(PowerTest, AWakeTimerFollowsTheSimulatedClock) {
    SYSTEMTIME start{};
    start.wYear = 2026;
    start.wMonth = 12;
    start.wDay = 9;
    start.wHour = 23;
    sandbox.SetEnv("ORVANDEL_SIM_CLOCK", FormatSimClockSetting(start, 3000.0));
    // 25 minutes at rate 3000 take half a second.
    const auto began = steady_clock::now();
    ASSERT_EQ(test_support::RunServicesHelper(L"wake-timer 1500000"), 0);
    EXPECT_GE(steady_clock::now() - began, milliseconds(490));
    EXPECT_LT(steady_clock::now() - began, milliseconds(5000));
    // "<asked> wake-armed <due>": due 25 minutes after the request, to the second however long
    // the arming took (a real millisecond is three seconds of this clock).
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    int h1 = 0, m1 = 0, s1 = 0, h2 = 0, m2 = 0, s2 = 0;
    ASSERT_EQ(std::sscanf(lines[0].c_str(), "%*d-%*d-%*dT%d:%d:%d wake-armed %*d-%*d-%*dT%d:%d:%d",
                          &h1, &m1, &s1, &h2, &m2, &s2),
              6)
        << lines[0];
    const int apart = ((h2 * 3600 + m2 * 60 + s2) - (h1 * 3600 + m1 * 60 + s1) + 86400) % 86400;
    EXPECT_EQ(apart, 1500) << lines[0];
}

}  // namespace
}  // namespace platform
