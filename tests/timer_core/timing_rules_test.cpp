// Re-filing a reservation a minute early, adding unless the programme is known, and the six-hour
// limit of follow mode.
#include <gtest/gtest.h>

#include <mutex>

#include "tests/timer_core/scheduler_fixture.h"

namespace scheduler_test {
namespace {

using TimingRulesTest = SchedulerFixture;

TEST_F(TimingRulesTest, ReKeyingFilesUnderThePreviousMinuteAndKeepsTheStart) {
    SetClock(Today(20, 59, 20));
    const auto early = Add(L"前の番組", Today(20, 59), 1);
    const auto drama = Add(L"港町ドラマ", Today(21, 0), 60);
    EXPECT_EQ(manager_.GetNextReserve(), drama.get());
    manager_.RekeyReserve(drama.get());
    EXPECT_EQ(drama->start.wHour, 21);
    EXPECT_EQ(drama->start.wMinute, 0);
    EXPECT_EQ(drama->start.wSecond, 0);
    // Filed under 20:59 behind the programme already there, so no longer "later than now".
    EXPECT_EQ(manager_.GetReserveAt(0), early.get());
    EXPECT_EQ(manager_.GetReserveAt(1), drama.get());
    EXPECT_EQ(manager_.GetNextReserve(), nullptr);

    // Across midnight: a 00:00 start is filed under 23:59 of the day before.
    const auto midnight = Add(L"年越し", At(2027, 1, 1, 0, 0), 30);
    manager_.RekeyReserve(midnight.get());
    const std::lock_guard lock(manager_.DataLock());
    const auto filed = manager_.Reservations().FiledBetween(L"202612312358", L"202612312400");
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_EQ(filed[0], midnight);
    EXPECT_EQ(midnight->start.wYear, 2027);
}

TEST_F(TimingRulesTest, AProgrammeAlreadyReservedIsNotAddedAgain) {
    ReserveEntry entry;
    entry.title = L"港町ドラマ";
    entry.start = Today(21, 0);
    entry.durationMinutes = 60;
    entry.serviceId = 0x400;
    entry.eventId = 0x1234;
    EXPECT_EQ(timer_core::AddReserveUnlessKnown(manager_, &entry), 1);
    entry.title = L"港町ドラマ（再）";
    EXPECT_EQ(timer_core::AddReserveUnlessKnown(manager_, &entry), 0);
    entry.eventId = 0x1235;
    EXPECT_EQ(timer_core::AddReserveUnlessKnown(manager_, &entry), 1);
    EXPECT_EQ(manager_.Reservations().Count(), 2u);
    EXPECT_EQ(entry.id, 0);  // the caller's entry stays as it was
}

TEST(FollowLimitTest, MoreThanSixHoursAfterThePlannedStartEndsTheFollowing) {
    const std::wstring text = L"開始時間が変わりました(予約時 2026/12/04 20:30) 録画終了 ";
    EXPECT_EQ(timer_core::CheckFollowLimit(text, At(2026, 12, 5, 2, 31)), 1);
    EXPECT_EQ(timer_core::CheckFollowLimit(text, At(2026, 12, 5, 2, 30)), 0);
    EXPECT_EQ(timer_core::CheckFollowLimit(text, At(2026, 12, 5, 2, 30, 1)), 1);
    EXPECT_EQ(timer_core::CheckFollowLimit(text, At(2026, 12, 4, 18, 0)), 0);  // moved earlier

    EXPECT_EQ(timer_core::CheckFollowLimit(L"", At(2027, 1, 1, 0, 0)), 0);
    EXPECT_EQ(timer_core::CheckFollowLimit(L"(予約時 2026/12/04 20:30", At(2027, 1, 1, 0, 0)), 0);
    EXPECT_EQ(timer_core::CheckFollowLimit(L"(予約時 2026/12/04-20:30)", At(2027, 1, 1, 0, 0)), 0);
    EXPECT_EQ(timer_core::CheckFollowLimit(L"(予約時 2026/12 20:30)", At(2027, 1, 1, 0, 0)), 0);
    EXPECT_EQ(timer_core::CheckFollowLimit(L"(予約時 2026/12/04 2030)", At(2027, 1, 1, 0, 0)), 0);
    // Leading digits count, as the runtime reads them; a date that is none never passes.
    EXPECT_EQ(
        timer_core::CheckFollowLimit(L"(予約時 2026年/12/4日 8時:05分)", At(2026, 12, 4, 14, 6)),
        1);
    EXPECT_EQ(timer_core::CheckFollowLimit(L"(予約時 2026/13/04 20:30)", At(2027, 6, 1, 0, 0)), 0);
}

}  // namespace
}  // namespace scheduler_test
