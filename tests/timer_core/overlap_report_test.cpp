// The overlap report: its exact lines, the tuner counts, touching and ended reservations, the
// groups, and the time functions behind it.
#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "tests/timer_core/scheduler_fixture.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/tuner_group.h"

namespace scheduler_test {
namespace {

using OverlapReportTest = SchedulerFixture;

std::wstring Report(const TimerManager& manager, int* result = nullptr) {
    std::wstring text = L"前の内容";
    const int answer = manager.CheckOverlaps(&text);
    if (result != nullptr) *result = answer;
    return text;
}

TEST_F(OverlapReportTest, TwoOverlappingReservationsOnOneTunerGiveOneLineAndTheClosingLine) {
    SetClock(Today(12, 0));
    Add(L"みなとニュース", Today(20, 0), 60);
    Add(L"港町ドラマ", Today(20, 30), 60, 3, kSakura);
    int result = -1;
    EXPECT_EQ(Report(manager_, &result),
              L"2026/12/04(金) 20:00～21:00 みなとニュース と 2026/12/04(金) 20:30～21:30 "
              L"港町ドラマ\r\nの時間が重なっています\r\n");
    EXPECT_EQ(result, 0);

    Tuners(2, 0);
    EXPECT_EQ(Report(manager_, &result), L"");
    EXPECT_EQ(result, 1);
}

TEST_F(OverlapReportTest, OnlyAsManyLaterStartsAsTunersAreReported) {
    Tuners(2, 1);
    SetClock(Today(12, 0));
    Add(L"夜の映画", Today(20, 0), 120, 5);
    Add(L"港町ドラマ", Today(20, 30), 60);
    Add(L"歌謡祭", Today(21, 0), 60, 3, kSakura);  // 21:00, and the drama ends at 21:30
    Add(L"深夜劇場", Today(22, 0), 30);            // starts when the film ends: no overlap
    Add(L"そらBS紀行", Today(20, 0), 60, 3, kSoraBs);
    Add(L"うみCS映画", Today(20, 59), 60, 3, kUmiCs);
    EXPECT_EQ(
        Report(manager_),
        L"2026/12/04(金) 20:00～22:00 夜の映画 と 2026/12/04(金) 20:30～21:30 港町ドラマ\r\n"
        L"2026/12/04(金) 20:00～22:00 夜の映画 と 2026/12/04(金) 21:00～22:00 歌謡祭\r\n"
        L"2026/12/04(金) 20:00～21:00 そらBS紀行 と 2026/12/04(金) 20:59～21:59 うみCS映画\r\n"
        L"の時間が重なっています\r\n");
}

TEST_F(OverlapReportTest, EndedReservationsAreLeftOutUnlessPostponed) {
    SetClock(Today(21, 30));
    const auto earlier = Add(L"みなとニュース", Today(20, 0), 60);
    Add(L"港町ドラマ", Today(20, 30), 60);
    EXPECT_EQ(Report(manager_), L"");  // the news ended at 21:00
    {
        const std::lock_guard lock(manager_.DataLock());
        earlier->postponed = 1;
    }
    EXPECT_NE(Report(manager_).find(L"みなとニュース と "), std::wstring::npos);
}

TEST_F(OverlapReportTest, ChannelValueFfffGoesWithTheTerrestrialGroupEverywhere) {
    EXPECT_EQ(timer_core::TunerGroupOf(0xFFFE), 1);
    EXPECT_EQ(timer_core::TunerGroupOf(0xFFFF), 1);
    EXPECT_EQ(timer_core::TunerGroupOf(0x10000), 2);
    EXPECT_EQ(timer_core::TunerGroupOf(-5), 1);

    Tuners(1, 1);
    SetClock(Today(12, 0));
    Add(L"試験放送", Today(20, 0), 60, 3, 0xFFFF);
    Add(L"そらBS紀行", Today(20, 10), 60, 3, 0x10000);
    EXPECT_EQ(Report(manager_), L"");
    Add(L"みなとニュース", Today(20, 20), 30);
    EXPECT_EQ(Report(manager_),
              L"2026/12/04(金) 20:00～21:00 試験放送 と 2026/12/04(金) 20:20～20:50 "
              L"みなとニュース\r\nの時間が重なっています\r\n");

    // The scheduler puts it in the terrestrial group as well.
    SetClock(Today(19, 0));
    manager_.Tick(0);
    EXPECT_EQ(Held(1), (std::vector<std::wstring>{L"試験放送>みなとニュース"}));
    EXPECT_EQ(Held(2), (std::vector<std::wstring>{L"そらBS紀行"}));
}

TEST_F(OverlapReportTest, AReservationFiledAMinuteEarlyIsStillFoundAfterItsPredecessor) {
    SetClock(Today(12, 0));
    Add(L"みなとニュース", Today(20, 0), 60);
    const auto drama = Add(L"港町ドラマ", Today(21, 0), 30);
    Add(L"深夜劇場", Today(20, 59), 30);
    manager_.RekeyReserve(drama.get());  // filed under 20:59, behind the late show
    EXPECT_EQ(Report(manager_),
              L"2026/12/04(金) 20:00～21:00 みなとニュース と 2026/12/04(金) 20:59～21:29 "
              L"深夜劇場\r\n"
              L"2026/12/04(金) 20:59～21:29 深夜劇場 と 2026/12/04(金) 21:00～21:30 港町ドラマ\r\n"
              L"の時間が重なっています\r\n");
}

TEST(ReserveTimeTest, EndTimesAddUnsignedMinutesAndSecondsAcrossDays) {
    platform::FILETIME start;
    platform::FILETIME end;
    platform::SYSTEMTIME endTime;
    EXPECT_EQ(
        timer_core::ComputeEndTimeMinutes(90, At(2026, 12, 31, 23, 0), &start, &end, &endTime), 1);
    EXPECT_EQ(platform::FileTimeToU64(end) - platform::FileTimeToU64(start),
              90 * timer_core::kFileTimePerMinute);
    EXPECT_EQ(endTime.wYear, 2027);
    EXPECT_EQ(endTime.wMonth, 1);
    EXPECT_EQ(endTime.wDay, 1);
    EXPECT_EQ(endTime.wHour, 0);
    EXPECT_EQ(endTime.wMinute, 30);
    // The minutes are unsigned: 0xFFFFFFFF is about 8166 years, not one minute back.
    EXPECT_EQ(timer_core::ComputeEndTimeMinutes(0xFFFFFFFFu, At(2026, 1, 1, 0, 0), nullptr, &end),
              1);
    EXPECT_GT(platform::FileTimeToU64(end), platform::FileTimeToU64(start));
    EXPECT_EQ(timer_core::ComputeEndTimeSeconds(45, At(2026, 2, 28, 23, 59, 30), &start, &end), 1);
    EXPECT_EQ(timer_core::LocalSystemTime(platform::FileTimeToU64(end)).wMonth, 3);

    std::wstring range;
    EXPECT_EQ(
        timer_core::FormatReserveTimeRange(&range, At(2026, 12, 6, 23, 30), At(2026, 12, 7, 0, 15)),
        1);
    EXPECT_EQ(range, L"2026/12/06(日) 23:30～00:15");
    timer_core::FormatReserveTimeRange(&range, At(2026, 12, 12, 9, 5), At(2026, 12, 12, 9, 35));
    EXPECT_EQ(range, L"2026/12/12(土) 09:05～09:35");
}

}  // namespace
}  // namespace scheduler_test
