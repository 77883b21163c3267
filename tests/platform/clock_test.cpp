#include "platform/clock.h"

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "tests/support/sandbox.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/services_helper.h"

namespace platform {
namespace {

TEST(ClockTest, ParsesSimulationSettingAndRefusesMalformedOnes) {
    const auto s = ParseSimClockSetting("2026-12-09T21:00:00,60,1765270000.5");
    ASSERT_TRUE(s.has_value());
    EXPECT_DOUBLE_EQ(s->rate, 60.0);
    EXPECT_DOUBLE_EQ(s->anchorUnixSeconds, 1765270000.5);
    FILETIME ft = U64ToFileTime(s->startLocal);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wHour, 21);
    EXPECT_EQ(st.wDay, 9);

    for (const char* bad :
         {"", "2026-12-09T21:00:00", "2026-12-09T21:00:00,0,1", "2026-12-09T21:00:00,-1,1",
          "2026-02-30T21:00:00,1,1", "2026-12-09T21:00:00,1,1x", "garbage"}) {
        EXPECT_FALSE(ParseSimClockSetting(bad).has_value()) << bad;
    }
}

TEST(ClockTest, SimulatedClockRunsAtItsRateFromItsStart) {
    test_support::Sandbox sandbox;  // the clock's shared offset lives in the runtime folder
    SYSTEMTIME start{};
    start.wYear = 2026;
    start.wMonth = 12;
    start.wDay = 9;
    start.wHour = 3;
    const auto setting = ParseSimClockSetting(FormatSimClockSetting(start, 1000.0));
    ASSERT_TRUE(setting.has_value());
    const Clock clock(setting);
    EXPECT_TRUE(clock.IsSimulated());
    const std::uint64_t elapsed = clock.NowLocal() - setting->startLocal;
    // Well under a simulated hour has passed since the setting was made.
    EXPECT_LT(elapsed, 3600 * kFileTimePerSecond);
    EXPECT_EQ(clock.ToRealMs(60'000), std::chrono::milliseconds(60));
}

TEST(ClockTest, LocalWallTimeMapsToTheMachinesUtcInstant) {
    const SYSTEMTIME local{2026, 12, 0, 9, 21, 30, 15, 0};
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &ft));
    timespec utc{};
    {
        test_support::ScopedEnvironment env;
        env.Set("TZ", "JST-9");
        ::tzset();
        utc = LocalToRealtime(FileTimeToU64(ft) + 5'000'000);  // + 0.5 s
    }
    ::tzset();
    EXPECT_EQ(utc.tv_sec, 1796819415);  // 2026-12-09T12:30:15Z
    EXPECT_EQ(utc.tv_nsec, 500'000'000);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// Simulated local time minus rate x real time, from one "<real ns> <local>" sample line: equal
// for two processes that agree on the clock.
double SimulationOrigin(const std::string& line, double rate) {
    long long realNs = 0;
    unsigned long long local = 0;
    std::istringstream(line) >> realNs >> local;
    return static_cast<double>(local) / 1e7 - rate * static_cast<double>(realNs) / 1e9;
}

// The same for this process's clock, now.
double OriginOf(const Clock& clock) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const std::uint64_t local = clock.NowLocal();
    return static_cast<double>(local) / 1e7 - static_cast<double>(ts.tv_sec) -
           static_cast<double>(ts.tv_nsec) / 1e9;
}

class SimulatedClockTest : public ::testing::Test {
  protected:
    void Start(double rate) {
        SYSTEMTIME start{};
        start.wYear = 2026;
        start.wMonth = 12;
        start.wDay = 9;
        start.wHour = 21;
        setting = FormatSimClockSetting(start, rate);
        sandbox.SetEnv("ORVANDEL_SIM_CLOCK", setting);
    }
    std::vector<std::string> Samples() const { return sandbox.Lines("samples"); }

    test_support::Sandbox sandbox;
    std::string setting;
};

TEST_F(SimulatedClockTest, TwoProcessesAgreeAndSetLocalTimeMovesBothButNotTheMachine) {
    Start(1.0);
    const std::wstring sample = L"clock-sample " + sandbox.Wide("samples");
    ASSERT_EQ(test_support::RunServicesHelper(sample), 0);
    const Clock here(ParseSimClockSetting(setting));
    EXPECT_NEAR(SimulationOrigin(Samples().at(0), 1.0), OriginOf(here), 0.050);

    // Another process moves the simulated clock a day ahead; this process sees it at once.
    const time_t machineBefore = ::time(nullptr);
    const std::uint64_t target = here.NowLocal() + kFileTimePerDay;
    ASSERT_EQ(test_support::RunServicesHelper(L"set-clock " + std::to_wstring(target)), 0);
    const std::int64_t off = static_cast<std::int64_t>(here.NowLocal() - target);
    EXPECT_GT(off, -static_cast<std::int64_t>(50 * kFileTimePerMillisecond));
    EXPECT_LT(off, static_cast<std::int64_t>(5 * kFileTimePerSecond));
    EXPECT_LT(std::llabs(::time(nullptr) - machineBefore), 10);  // the machine's clock stayed
    ASSERT_EQ(test_support::RunServicesHelper(sample), 0);
    EXPECT_NEAR(SimulationOrigin(Samples().at(1), 1.0), OriginOf(here), 0.050);
}

TEST_F(SimulatedClockTest, SleepsRunAtTheClocksRate) {
    Start(60.0);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(test_support::RunServicesHelper(L"sleep 60000"), 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(990));
    EXPECT_LT(took, std::chrono::milliseconds(10000));  // unscaled: a minute

    // Timed waits of this process follow the same rate.
    const Clock clock(ParseSimClockSetting(setting));
    EXPECT_EQ(clock.ToRealMs(20000), std::chrono::nanoseconds(333'333'333));
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// A world's clock as two of its processes see it (two clocks on one setting share the holds),
// running fast, so that real time spent while it is held would show as whole clock minutes.
class ClockHoldTest : public ::testing::Test {
  protected:
    static constexpr double kRate = 1000.0;

    ClockHoldTest() {
        setting_ = FormatSimClockSetting({2026, 12, 0, 9, 21, 0, 0, 0}, kRate);
        sandbox_.SetEnv("ORVANDEL_SIM_CLOCK", setting_);
        here_.emplace(ParseSimClockSetting(setting_));
        there_.emplace(ParseSimClockSetting(setting_));
    }

    // Clock seconds that pass on `clock` while `realMs` of real time go by.
    static double ClockSecondsOver(const Clock& clock, int realMs) {
        const auto before = clock.Elapsed();
        std::this_thread::sleep_for(std::chrono::milliseconds(realMs));
        return std::chrono::duration<double>(clock.Elapsed() - before).count();
    }

    // Waits (real time, at most 10 s) until the file exists.
    bool AppearsInTime(const std::string& name) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!std::filesystem::exists(sandbox_.Native(name))) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    test_support::Sandbox sandbox_;
    std::string setting_;
    std::optional<Clock> here_;
    std::optional<Clock> there_;
};

TEST_F(ClockHoldTest, AHeldClockStandsStillInEveryProcessAndWaitsOnItLastTheirClockLength) {
    // Running, 100 ms of real time are 100 s of this clock.
    EXPECT_GT(ClockSecondsOver(*there_, 100), 50.0);

    const int slot = here_->BeginStartUpHold();
    ASSERT_GE(slot, 0);
    const ClockDeadline deadline(std::chrono::seconds(5), *there_);  // 5 ms of real time
    EXPECT_LT(ClockSecondsOver(*there_, 100), 1.0);
    EXPECT_LT(ClockSecondsOver(*here_, 20), 1.0);
    EXPECT_FALSE(deadline.Passed());
    // A waiter looks again soon, but never for longer than the hold could last.
    EXPECT_GT(deadline.RealWait().count(), 0);
    EXPECT_LE(deadline.RealWait(), std::chrono::milliseconds(5));

    here_->EndStartUpHold(slot);
    EXPECT_GT(ClockSecondsOver(*there_, 100), 50.0);
    EXPECT_TRUE(deadline.Passed());
    EXPECT_EQ(there_->HoldsEndedByBound(), 0);
}

TEST_F(ClockHoldTest, AStartingProgramHoldsTheClockUntilItIsReady) {
    const std::wstring ready = sandbox_.Wide("ready");
    DWORD pid = 0;
    std::chrono::nanoseconds created{};
    {
        StartUpHold hold(*here_);
        created = there_->Elapsed();
        ASSERT_TRUE(CreateProcessW(test_support::ServicesHelperPath(),
                                   L" start-slowly 300 " + ready, L"", &pid));
        hold.Started(static_cast<int>(pid));
    }
    // 300 ms of real time to start: five minutes of this clock, none of which passed by the time
    // the program was ready (as its own clock tells).
    ASSERT_TRUE(AppearsInTime("ready"));
    const std::chrono::nanoseconds readyAt(std::stoll(sandbox_.Lines("ready").at(0)));
    EXPECT_LT(std::chrono::duration<double>(readyAt - created).count(), 1.0);
    EXPECT_GT(ClockSecondsOver(*there_, 100), 50.0);
    TerminateProcess(pid, 1);
    EXPECT_EQ(WaitForProcess(pid, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(there_->HoldsEndedByBound(), 0);
}

TEST_F(ClockHoldTest, AProgramThatEndsBeforeItIsReadyReleasesTheClock) {
    DWORD pid = 0;
    {
        StartUpHold hold(*here_);
        ASSERT_TRUE(
            CreateProcessW(test_support::ServicesHelperPath(), L" die-starting 100", L"", &pid));
        hold.Started(static_cast<int>(pid));
    }
    EXPECT_EQ(WaitForProcess(pid, 60000), WAIT_OBJECT_0);
    // The clocks of the world notice the end within moments, long before the hold's bound.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ClockSecondsOver(*there_, 20) < 10.0)
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the clock stayed held";
    EXPECT_EQ(there_->HoldsEndedByBound(), 0);

    // A program that could not be created holds nothing.
    {
        StartUpHold hold(*here_);
        EXPECT_FALSE(CreateProcessW(sandbox_.Wide("missing"), L" x", L"", &pid));
    }
    EXPECT_GT(ClockSecondsOver(*there_, 50), 25.0);
}

}  // namespace
}  // namespace platform
