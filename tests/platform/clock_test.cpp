#include "platform/clock.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace platform
