#include <gtest/gtest.h>

#include "capture_plugin/broadcast_clock.h"
#include "platform/clock.h"
#include "tests/capture_plugin/window_parts_environment.h"

namespace capture_plugin {
namespace {

constexpr std::uint64_t kSecond = platform::kFileTimePerSecond;
constexpr std::uint64_t kLocal = 128'752'704'000'000'000ULL;  // some day in 2009

TEST(BroadcastClockTest, OffsetIsTruncatedTowardZeroAndPublishedOnlyWhenItChanges) {
    BroadcastClock clock;
    // 0.9 s ahead: offset 0, published once as the first value.
    EXPECT_EQ(clock.SetBroadcastTimeOffset(kLocal + 9 * kSecond / 10, kLocal), 0);
    EXPECT_EQ(clock.SetBroadcastTimeOffset(kLocal + 19 * kSecond / 10, kLocal + kSecond),
              std::nullopt);
    EXPECT_EQ(clock.Offset(), 0);
    // 3.5 s behind: -3.
    EXPECT_EQ(clock.SetBroadcastTimeOffset(kLocal - 35 * kSecond / 10, kLocal), -3);
    EXPECT_EQ(clock.Offset(), -3);
    // The same broadcast time again is not looked at, whatever the local time now is.
    EXPECT_EQ(clock.SetBroadcastTimeOffset(kLocal - 35 * kSecond / 10, kLocal + 60 * kSecond),
              std::nullopt);
    EXPECT_EQ(clock.Offset(), -3);
}

TEST(BroadcastClockTest, EachGuardStopsTheCorrection) {
    const std::wstring collecting =
        L"EPGデータの取得中です。\r\nチャンネルを切り替えないでください。";
    const std::wstring fetching =
        L"チャンネル設定の取得中です。\r\nチャンネルを切り替えないでください。";
    EXPECT_TRUE(ClockSyncAllowed({1, -3, 0, L""}));
    EXPECT_TRUE(ClockSyncAllowed({1, 5, 0, fetching}));
    EXPECT_FALSE(ClockSyncAllowed({0, -3, 0, L""}));
    EXPECT_FALSE(ClockSyncAllowed({2, -3, 0, L""}));
    EXPECT_FALSE(ClockSyncAllowed({1, 0, 0, L""}));
    EXPECT_FALSE(ClockSyncAllowed({1, -3, 1, L""}));
    EXPECT_FALSE(ClockSyncAllowed({1, -3, 0, collecting}));
    EXPECT_FALSE(SyncClock({0, -3, 0, L""}));
}

TEST(BroadcastClockTest, CorrectionMovesTheSimulatedClockByTheOffset) {
    platform::Clock& clock = platform::Clock::Instance();
    ASSERT_TRUE(clock.IsSimulated());
    const std::uint64_t before = clock.NowLocal();
    ASSERT_TRUE(SyncClock({1, -3600, 0, L""}));
    const std::uint64_t after = clock.NowLocal();
    // An hour back, give or take the (simulated) time the call took.
    EXPECT_LT(after, before - 3590 * kSecond);
    EXPECT_GT(after, before - 3610 * kSecond);
    ASSERT_TRUE(SyncClock({1, 3600, 0, L""}));
}

}  // namespace
}  // namespace capture_plugin
