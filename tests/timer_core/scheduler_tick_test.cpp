// The scheduler tick: the walk between the present minute and the horizon, the 10-second gap
// rule, the order of the candidates, the release of later starts and mode 1.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "tests/timer_core/scheduler_fixture.h"

namespace scheduler_test {
namespace {

using Titles = std::vector<std::wstring>;
using SchedulerTickTest = SchedulerFixture;

TEST_F(SchedulerTickTest, TheWalkBeginsAfterThePresentMinuteAndEndsBeforeTheHorizonMinute) {
    Tuners(3, 0);
    const auto running = Add(L"始まったばかり", Today(20, 10), 30);
    const auto atHorizon = Add(L"三時間後", Today(23, 10), 30);
    const auto before = Add(L"三時間前", Today(23, 9), 30);
    SetClock(Today(20, 10, 30));
    EXPECT_EQ(manager_.Tick(0), 1);
    EXPECT_EQ(Held(1), Titles{L"三時間前"});
    EXPECT_EQ(Assigned(running) + Assigned(atHorizon), 0);
    EXPECT_EQ(Assigned(before), 1);

    SetClock(Today(18, 0));
    TimerManager empty(manager_.IniPath());
    EXPECT_EQ(empty.Tick(0), 0);  // nothing filed after the present minute
}

TEST_F(SchedulerTickTest, TheGapRuleStopsTheWalkMoreThanTenSecondsAfterThePlannedEnd) {
    SetClock(Today(19, 58));
    Add(L"みなとニュース", Today(20, 0), 60);
    manager_.Tick(0);
    ASSERT_EQ(Held(1), Titles{L"みなとニュース"});

    const auto next = Add(L"港町ドラマ", Today(21, 0), 60);
    const auto later = Add(L"深夜劇場", Today(21, 30), 60);
    SetClock(Today(20, 10));
    EXPECT_EQ(manager_.Tick(0), 1);
    EXPECT_EQ(Held(1), Titles{L"みなとニュース>港町ドラマ"});
    EXPECT_EQ(Assigned(next), 1);
    EXPECT_EQ(Assigned(later), 0);
}

TEST_F(SchedulerTickTest, AGroupWithoutSlotsTakesTheEndOfItsFirstReservation) {
    Tuners(3, 0);
    SetClock(Today(20, 0));
    Add(L"夕方ニュース", Today(20, 30), 30);
    Add(L"ぴったり", Today(21, 0), 30);  // exactly at the first one's end
    const auto late = Add(L"一分後", Today(21, 1), 30);
    EXPECT_EQ(manager_.Tick(0), 1);
    // A third tuner is free, but the walk stopped before the 21:01 programme.
    EXPECT_EQ(Held(1), (Titles{L"夕方ニュース", L"ぴったり"}));
    EXPECT_EQ(Assigned(late), 0);
}

TEST_F(SchedulerTickTest, CandidatesOfOneMinuteGoByPriorityThenChannelThenStoreOrder) {
    Tuners(4, 0);
    SetClock(Today(20, 0));
    Add(L"低い優先度", Today(20, 30), 30, 2, kMinato);
    Add(L"高い27", Today(20, 30), 30, 4, kMinato);
    Add(L"高い22先", Today(20, 30), 30, 4, kSakura);
    Add(L"高い22後", Today(20, 30), 30, 4, kSakura);
    manager_.Tick(0);
    // New slots are appended in the order the candidates were handed over.
    EXPECT_EQ(Held(1), (Titles{L"高い22先", L"高い22後", L"高い27", L"低い優先度"}));
}

TEST_F(SchedulerTickTest, AnEarlierReservationReleasesALaterPlannedSlotAndIsPlannedFirst) {
    SetClock(Today(20, 0));
    const auto drama = Add(L"港町ドラマ", Today(21, 0), 60);
    manager_.Tick(0);
    ASSERT_EQ(Held(1), Titles{L"港町ドラマ"});
    const auto oldSlot = manager_.SlotsOfGroup(1).at(0);

    Add(L"臨時ニュース", Today(20, 30), 60);
    EXPECT_EQ(manager_.Tick(0), 1);
    EXPECT_EQ(Held(1), Titles{L"臨時ニュース>港町ドラマ"});
    EXPECT_NE(manager_.SlotsOfGroup(1).at(0), oldSlot);
    EXPECT_TRUE(oldSlot->StopRequested());
    EXPECT_EQ(oldSlot->thread, nullptr);  // stopped and waited for
    EXPECT_EQ(Assigned(drama), 1);
}

TEST_F(SchedulerTickTest, AnEarlierReservationDropsALaterChainAndTakesItsPlace) {
    SetClock(Today(19, 29));
    Add(L"夕方ニュース", Today(19, 30), 60);
    manager_.Tick(0);
    const auto chained = Add(L"港町ドラマ", Today(20, 30), 60);
    SetClock(Today(19, 40));
    manager_.Tick(0);
    ASSERT_EQ(Held(1), Titles{L"夕方ニュース>港町ドラマ"});

    const auto inserted = Add(L"臨時ニュース", Today(20, 15), 30);
    SetClock(Today(20, 0));
    manager_.Tick(0);
    // The chain is dropped and the drama planned again after the inserted programme; with the
    // one tuner still recording, only the inserted one finds a place (behind it).
    EXPECT_EQ(Held(1), Titles{L"夕方ニュース>臨時ニュース"});
    EXPECT_EQ(Assigned(inserted), 1);
    EXPECT_EQ(Assigned(chained), 0);
}

TEST_F(SchedulerTickTest, ModeOneKeepsWhatBeginsWithinAMinuteAndReleasesTheRest) {
    Tuners(2, 0);
    SetClock(Today(19, 50));
    const auto eight = Add(L"八時の番組", Today(20, 0), 30);
    const auto past = Add(L"八時一分の番組", Today(20, 1), 30);
    manager_.Tick(0);
    ASSERT_EQ(Held(1), (Titles{L"八時の番組", L"八時一分の番組"}));
    const auto before = manager_.SlotsOfGroup(1);

    SetClock(Today(19, 59, 30));
    EXPECT_EQ(manager_.Tick(1), 1);
    const auto after = manager_.SlotsOfGroup(1);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], before[0]);  // 20:00 is within the minute: kept
    EXPECT_NE(after[1], before[1]);  // 20:01 was released, then planned again on a new slot
    EXPECT_TRUE(before[1]->StopRequested());
    EXPECT_EQ(Assigned(eight) + Assigned(past), 2);
}

TEST_F(SchedulerTickTest, ModeOneDropsAChainThatBeginsLaterThanAMinuteFromNow) {
    SetClock(Today(19, 29));
    Add(L"夕方ニュース", Today(19, 30), 30);
    manager_.Tick(0);
    const auto chained = Add(L"港町ドラマ", Today(20, 0), 60);
    SetClock(Today(19, 40));
    manager_.Tick(0);
    ASSERT_EQ(Held(1), Titles{L"夕方ニュース>港町ドラマ"});
    const auto slot = manager_.SlotsOfGroup(1).at(0);

    // Tuners lowered to none for the first group: the mode-1 release happens, the walk cannot
    // plan the drama again, and the running recording keeps its slot.
    Tuners(0, 0);
    SetClock(Today(19, 58, 30));
    manager_.Tick(1);
    EXPECT_EQ(Held(1), Titles{L"夕方ニュース"});
    EXPECT_EQ(manager_.SlotsOfGroup(1).at(0), slot);
    EXPECT_EQ(Assigned(chained), 0);
}

TEST_F(SchedulerTickTest, WithoutSatelliteTunersTheirReservationsStillStopTheWalk) {
    SetClock(Today(20, 0));
    const auto bs = Add(L"そらBS紀行", Today(20, 15), 30, 3, kSoraBs);
    const auto early = Add(L"みなとニュース", Today(20, 30), 30);
    const auto cs = Add(L"うみCS映画", Today(21, 0), 30, 3, kUmiCs);
    const auto late = Add(L"港町ドラマ", Today(21, 0), 30);  // would be chained if reached
    EXPECT_EQ(manager_.Tick(0), 1);
    EXPECT_EQ(Held(1), Titles{L"みなとニュース"});
    EXPECT_TRUE(Held(2).empty());
    EXPECT_EQ(manager_.AssignGroup2(bs), 0);
    EXPECT_EQ(manager_.AssignGroup1(cs), 0);  // passed on to the second group
    // The CS programme 15 minutes after the BS one's end stopped the walk for both groups.
    EXPECT_EQ(Assigned(bs) + Assigned(cs) + Assigned(late), 0);
    EXPECT_EQ(Assigned(early), 1);
}

TEST_F(SchedulerTickTest, DeletingAReservationStopsItsSlotOrDropsItsChain) {
    Tuners(2, 0);
    SetClock(Today(19, 50));
    const auto news = Add(L"みなとニュース", Today(20, 0), 60, 3, kSakura);  // lower channel: first
    const auto drama = Add(L"港町ドラマ", Today(20, 0), 60, 3, kMinato);
    manager_.Tick(0);
    const auto follow = Add(L"続きの番組", Today(21, 0), 30);
    manager_.Tick(0);
    ASSERT_EQ(Held(1), (Titles{L"みなとニュース>続きの番組", L"港町ドラマ"}));

    manager_.DeleteReserve(follow->id);
    EXPECT_EQ(Held(1), (Titles{L"みなとニュース", L"港町ドラマ"}));
    manager_.DeleteReserve(news->id);
    EXPECT_EQ(Held(1), Titles{L"港町ドラマ"});
    EXPECT_EQ(Assigned(news) + Assigned(follow), 0);
    EXPECT_EQ(manager_.Reservations().Count(), 1u);
    EXPECT_EQ(Assigned(drama), 1);
}

TEST_F(SchedulerTickTest, ATickListsTheSlotsForDevelopers) {
    SetClock(Today(19, 58));
    Add(L"みなとニュース", Today(20, 0), 60);
    Add(L"港町ドラマ", Today(21, 0), 60);
    manager_.Tick(0);
    const auto lines = DebugLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(
        lines.back(),
        platform::WideToUtf8(L"2026/12/04 20:00 みなとニュース Next:2026/12/04 21:00 港町ドラマ"));
}

}  // namespace
}  // namespace scheduler_test
