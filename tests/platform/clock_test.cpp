#include "platform/clock.h"

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/services_helper.h"
#include "tests/support/sandbox.h"
#include "tests/support/scoped_environment.h"

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
