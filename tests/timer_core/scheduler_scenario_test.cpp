// A day of reservations planned tick by tick, with one and with two tuners per group: which
// reservation each slot holds after each tick, while the stand-in record threads record, hand
// over to chained reservations and end.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "tests/timer_core/scheduler_fixture.h"

namespace scheduler_test {
namespace {

using Titles = std::vector<std::wstring>;

class SchedulerDayTest : public SchedulerFixture {
  protected:
    void AddTheDay() {
        Add(L"朝のニュース", Today(6, 0), 60, 3, kMinato);
        Add(L"港町ドラマ", Today(6, 30), 60, 4, kSakura);
        Add(L"天気予報", Today(7, 30), 10, 2, kMinato);
        Add(L"昼の情報", Today(12, 0), 60, 3, kMinato);
        Add(L"夜のドラマ", Today(21, 0), 60, 3, kMinato);
        Add(L"夜の映画", Today(21, 30), 120, 5, kSakura);
        Add(L"そらBSニュース", Today(6, 0), 30, 3, kSoraBs);
        Add(L"うみCS映画", Today(6, 30), 120, 3, kUmiCs);
        Add(L"そらBS紀行", Today(21, 0), 60, 2, kSoraBs);
    }

    // Moves the clock, lets the record threads catch up and ticks.
    void TickAt(int hour, int minute) {
        SetClock(Today(hour, minute));
        ASSERT_TRUE(RecordingsSettled());
        manager_.Tick(0);
    }

    void ExpectHeld(const Titles& terrestrial, const Titles& satellite) {
        EXPECT_EQ(Held(1), terrestrial);
        EXPECT_EQ(Held(2), satellite);
    }

    void ExpectNothingAssigned() {
        const std::lock_guard lock(manager_.DataLock());
        for (const ReserveEntry& entry : manager_.Reservations().Entries())
            EXPECT_EQ(entry.assigned, 0) << platform::WideToUtf8(entry.title);
    }
};

TEST_F(SchedulerDayTest, OneTunerPerGroup) {
    Tuners(1, 1);
    AddTheDay();

    TickAt(5, 0);  // the walk stops before the weather (07:30 is past 07:00 + 10 s)
    ExpectHeld({L"朝のニュース>港町ドラマ"}, {L"そらBSニュース>うみCS映画"});

    // The stronger drama cut the news at 06:30; the CS film followed the BS news.
    TickAt(6, 45);
    ExpectHeld({L"港町ドラマ>天気予報"}, {L"うみCS映画"});

    TickAt(7, 50);
    ExpectHeld({}, {L"うみCS映画"});

    TickAt(11, 0);
    ExpectHeld({L"昼の情報"}, {});

    TickAt(20, 0);
    ExpectHeld({L"夜のドラマ>夜の映画"}, {L"そらBS紀行"});

    // A news flash before the evening drama: the drama's slot is released, the flash takes the
    // tuner and the drama follows it; the film lies beyond the gap and waits.
    Add(L"臨時ニュース", Today(20, 30), 30, 3, kMinato);
    TickAt(20, 5);
    ExpectHeld({L"臨時ニュース>夜のドラマ"}, {L"そらBS紀行"});

    TickAt(21, 5);
    ExpectHeld({L"夜のドラマ>夜の映画"}, {L"そらBS紀行"});

    TickAt(21, 45);  // the film (priority 5) cut the drama at 21:30
    ExpectHeld({L"夜の映画"}, {L"そらBS紀行"});

    TickAt(23, 45);
    ExpectHeld({}, {});
    ExpectNothingAssigned();
}

TEST_F(SchedulerDayTest, TwoTunersPerGroup) {
    Tuners(2, 2);
    AddTheDay();

    TickAt(5, 0);
    ExpectHeld({L"朝のニュース", L"港町ドラマ"}, {L"そらBSニュース", L"うみCS映画"});

    TickAt(6, 45);  // the weather goes behind the news, the weaker of the two
    ExpectHeld({L"朝のニュース>天気予報", L"港町ドラマ"}, {L"うみCS映画"});

    TickAt(7, 50);
    ExpectHeld({}, {L"うみCS映画"});

    TickAt(11, 0);
    ExpectHeld({L"昼の情報"}, {});

    TickAt(20, 0);
    ExpectHeld({L"夜のドラマ", L"夜の映画"}, {L"そらBS紀行"});

    // The flash releases both waiting slots; the drama gets the second tuner, the film waits.
    Add(L"臨時ニュース", Today(20, 30), 30, 3, kMinato);
    TickAt(20, 5);
    ExpectHeld({L"臨時ニュース", L"夜のドラマ"}, {L"そらBS紀行"});

    TickAt(21, 5);
    ExpectHeld({L"夜のドラマ", L"夜の映画"}, {L"そらBS紀行"});

    TickAt(21, 45);
    ExpectHeld({L"夜のドラマ", L"夜の映画"}, {L"そらBS紀行"});

    TickAt(23, 45);
    ExpectHeld({}, {});
    ExpectNothingAssigned();
}

}  // namespace
}  // namespace scheduler_test
