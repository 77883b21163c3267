// Waking the PC: the wake timer's refusal and re-arming, the manager's choice of the wake-up
// time, the next EPG acquisition time, and the free-space step before recordings.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/simulated_power.h"
#include "tests/timer_core/scheduler_fixture.h"
#include "timer_core/power/wake_timer.h"
#include "timer_core/scheduling/epg_time_entry.h"

namespace scheduler_test {
namespace {

using Requests = std::vector<std::string>;

std::string Armed(const platform::SYSTEMTIME& due) {
    return "wake-armed " + platform::FormatLocalTime(timer_core::LocalFileTime(due));
}

std::string Refused(const platform::SYSTEMTIME& due) {
    return "wake-refused " + platform::FormatLocalTime(timer_core::LocalFileTime(due));
}

// Points an environment variable elsewhere for the life of the object.
class EnvOverride {
  public:
    EnvOverride(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvOverride() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

using WakeTimerTest = SchedulerFixture;

TEST_F(WakeTimerTest, TheTimerFiresFiveMinutesEarlyAndRefusesWithinSevenMinutes) {
    timer_core::WakeTimer timer;
    SetClock(Today(20, 0));
    EXPECT_EQ(timer.Set(Today(20, 30)), 1);
    EXPECT_EQ(PowerRequests(), Requests{Armed(Today(20, 25))});

    EXPECT_EQ(timer.Set(Today(20, 6, 59)), 0);  // refused: the armed timer stays
    EXPECT_EQ(PowerRequests(), Requests{Armed(Today(20, 25))});

    EXPECT_EQ(timer.Set(Today(20, 7, 30)), 1);  // re-arming closes the earlier timer first
    EXPECT_EQ(PowerRequests(),
              (Requests{Armed(Today(20, 25)), "wake-cancelled", Armed(Today(20, 2, 30))}));
    EXPECT_EQ(timer.Stop(), 1);
    EXPECT_EQ(PowerRequests().back(), "wake-cancelled");
    EXPECT_EQ(PowerRequests().size(), 4u);
    EXPECT_EQ(timer.Set(At(2026, 13, 1, 0, 0)), 0);  // no date
}

// A program without the wake-alarm capability cannot arm a wake-up; neither can one whose clock
// the machine's alarm does not follow.
TEST_F(WakeTimerTest, ATimerThatCannotWakeThePcIsNotArmed) {
    timer_core::WakeTimer timer;
    SetClock(Today(20, 0));
    {
        EnvOverride refused("ORVANDEL_SIM_NO_WAKE_ALARM", "1");
        EXPECT_EQ(timer.Set(Today(20, 30)), 0);
        EXPECT_EQ(PowerRequests(), Requests{Refused(Today(20, 25))});
    }
    EXPECT_EQ(timer.Set(Today(20, 30)), 1);

    ASSERT_TRUE(platform::Clock::Instance().IsSimulated());
    ::unsetenv("ORVANDEL_SIM_POWER");  // the machine's alarm is not reached under this clock
    // Another wake-up: the same one again would be the pending arming, kept as it is.
    EXPECT_EQ(timer.Set(Today(20, 32)), 0);
}

// The scheduler asks for the wake-up at every tick, mostly for the one it armed before: that
// timer stays, and only a wake-up that moved, or one whose timer was stopped, is armed anew.
TEST_F(WakeTimerTest, TheWakeUpArmedBeforeStaysArmedAsItIs) {
    timer_core::WakeTimer timer;
    SetClock(Today(20, 0));
    EXPECT_EQ(timer.Set(Today(21, 0)), 1);
    SetClock(Today(20, 2));
    EXPECT_EQ(timer.Set(Today(21, 0)), 1);
    EXPECT_EQ(PowerRequests(), Requests{Armed(Today(20, 55))});

    EXPECT_EQ(timer.Set(Today(21, 1)), 1);
    EXPECT_EQ(timer.Set(Today(21, 0)), 1);  // moved back
    EXPECT_EQ(PowerRequests(),
              (Requests{Armed(Today(20, 55)), "wake-cancelled", Armed(Today(20, 56)),
                        "wake-cancelled", Armed(Today(20, 55))}));
    timer.Stop();
    EXPECT_EQ(timer.Set(Today(21, 0)), 1);
    EXPECT_EQ(PowerRequests().back(), Armed(Today(20, 55)));
    EXPECT_EQ(PowerRequests().size(), 7u);

    // One that cannot wake the PC is tried again.
    {
        EnvOverride refused("ORVANDEL_SIM_NO_WAKE_ALARM", "1");
        EXPECT_EQ(timer.Set(Today(21, 30)), 0);
    }
    EXPECT_EQ(timer.Set(Today(21, 30)), 1);
    EXPECT_EQ(PowerRequests().back(), Armed(Today(21, 25)));
}

using SetNextWakeUpTest = SchedulerFixture;

TEST_F(SetNextWakeUpTest, ARecordingWithinTenMinutesKeepsThePcAwakeAndTheTimerAsItIs) {
    SetClock(Today(19, 0));
    Add(L"みなとニュース", Today(20, 0), 60);
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_EQ(PowerRequests(), Requests{Armed(Today(19, 55))});
    SetClock(Today(19, 59));
    manager_.Tick(0);  // too close to arm again; the slot is made after the wake-up step
    ASSERT_EQ(Held(1).size(), 1u);
    SetClock(Today(20, 10));
    EXPECT_EQ(manager_.SetNextWakeUp(), 0);
    EXPECT_EQ(PowerRequests(), Requests{Armed(Today(19, 55))});
}

TEST_F(SetNextWakeUpTest, NothingAheadLetsThePcSleepWithoutATimerAndAnEpgTimeArmsIt) {
    SetClock(Today(12, 0));
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_TRUE(PowerRequests().empty());

    Ini(L"Orvandel", L"Count", L"2");
    Ini(L"Orvandel", L"0", L"23,30,1");
    Ini(L"Orvandel", L"1", L"13,00,0");
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_EQ(PowerRequests(), Requests{Armed(Today(23, 25))});

    // A reservation before the EPG time wakes the PC for itself.
    Add(L"港町ドラマ", Today(21, 0), 60);
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_EQ(PowerRequests().back(), Armed(Today(20, 55)));

    // Within 7 minutes of it the timer refuses, and so may the PC not sleep.
    SetClock(Today(20, 54));
    EXPECT_EQ(manager_.SetNextWakeUp(), 0);
    EXPECT_EQ(PowerRequests().back(), Armed(Today(20, 55)));
}

TEST_F(SetNextWakeUpTest, AnEpgTimeBeforeTheNextRecordingWakesThePcForItself) {
    Tuners(1, 0);
    SetClock(Today(18, 0));
    Add(L"夜のドラマ", Today(20, 30), 60);
    manager_.Tick(0);  // a slot waits for 20:30
    ASSERT_EQ(Held(1).size(), 1u);
    Add(L"深夜劇場", Today(23, 0), 60);
    SetClock(Today(20, 0));
    // The next reservation and the slot's both start at 20:30; the EPG time at 20:10 is earlier.
    Ini(L"Orvandel", L"Count", L"1");
    Ini(L"Orvandel", L"0", L"20,10,1");
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_EQ(PowerRequests().back(), Armed(Today(20, 5)));
}

TEST_F(SetNextWakeUpTest, AWakeUpThatCannotBeArmedKeepsThePcAwakeWhileAnythingLiesAhead) {
    EnvOverride refused("ORVANDEL_SIM_NO_WAKE_ALARM", "1");
    SetClock(Today(12, 0));
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);  // nothing to wake for
    const auto drama = Add(L"港町ドラマ", Today(21, 0), 60);
    EXPECT_EQ(manager_.SetNextWakeUp(), 0);
    manager_.DeleteReserve(drama->id);
    Ini(L"Orvandel", L"Count", L"1");
    Ini(L"Orvandel", L"0", L"23,30,1");
    EXPECT_EQ(manager_.SetNextWakeUp(), 0);  // an EPG acquisition alone keeps it awake too
    EXPECT_EQ(PowerRequests(), (Requests{Refused(Today(20, 55)), Refused(Today(23, 25))}));
}

// A hand-edited line whose start is no date (25:00) lies before a valid reservation in the file's
// order; the PC is woken for the valid one all the same.
TEST_F(SetNextWakeUpTest, AStartThatIsNoDateHidesNoLaterReservation) {
    SetClock(Today(23, 0));
    Add(L"手直しの番組", Today(25, 0), 30);
    Add(L"深夜劇場", At(2026, 12, 5, 1, 0), 60);
    {
        const std::lock_guard lock(manager_.DataLock());
        ASSERT_NE(manager_.GetNextReserve(), nullptr);
        EXPECT_EQ(manager_.GetNextReserve()->title, L"深夜劇場");
    }
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_EQ(PowerRequests(), Requests{Armed(At(2026, 12, 5, 0, 55))});
}

// A record thread notes the end of its recording and gives its reservation up, then tells the
// main window, which asks at once whether the PC may sleep, while the thread is still closing its
// viewer: that slot no longer keeps the PC awake.
TEST_F(SetNextWakeUpTest, AThreadThatHasGivenItsRecordingUpNoLongerKeepsThePcAwake) {
    manager_.SetRecordProcedure([](const std::shared_ptr<RecThreadSlot>& slot) {
        {
            const std::lock_guard lock(slot->owner->DataLock());
            slot->currentReserve->assigned = 0;
        }
        // Still leaving until the owner stops it.
        platform::WaitForSingleObject(slot->stopEvent, platform::INFINITE);
        return platform::DWORD{0};
    });
    SetClock(Today(19, 59));
    const auto ended = Add(L"みなとニュース", Today(20, 0), 1);
    Add(L"港町ドラマ", Today(20, 30), 60);
    manager_.Tick(0);
    ASSERT_EQ(Held(1), std::vector<std::wstring>{L"みなとニュース"});
    ASSERT_TRUE(timer_core_test::WaitUntil([&] {
        const std::lock_guard lock(manager_.DataLock());
        return ended->assigned == 0;
    }));
    SetClock(Today(20, 2));
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_EQ(PowerRequests().back(), Armed(Today(20, 25)));
}

TEST_F(SetNextWakeUpTest, TicksForTheSameNextRecordingArmTheTimerOnce) {
    SetClock(Today(12, 0));
    Add(L"港町ドラマ", Today(21, 0), 60);
    manager_.Tick(0);
    SetClock(Today(12, 2));
    manager_.Tick(0);
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
    EXPECT_EQ(PowerRequests(), Requests{Armed(Today(20, 55))});

    Add(L"みなとニュース", Today(19, 0), 30);
    manager_.Tick(0);
    EXPECT_EQ(PowerRequests(),
              (Requests{Armed(Today(20, 55)), "wake-cancelled", Armed(Today(18, 55))}));
}

TEST(NextEpgTimeTest, TheNextEnabledTimeFromThisMinuteOnWrapsToTomorrow) {
    const auto folder = timer_core_test::FreshFolder("epg-times");
    TimerManager manager(platform::FromNativePath((folder / "Orvandel.ini").native()));
    const auto ini = [&](const wchar_t* key, const wchar_t* value) {
        platform::WritePrivateProfileStringW(L"Orvandel", key, value, manager.IniPath().c_str());
    };
    platform::SYSTEMTIME next;
    EXPECT_EQ(manager.GetNextEpgTime(&next), 0);  // no times at all

    ini(L"Count", L"5");
    ini(L"0", L"23,30,1");
    ini(L"1", L"6,0,1");
    ini(L"2", L"7,00");     // one comma: skipped
    ini(L"3", L"25,00,1");  // no time of day: skipped
    ini(L"4", L"12,15,0");
    SetClock(Today(23, 45));
    ASSERT_EQ(manager.GetNextEpgTime(&next), 1);
    EXPECT_EQ(timer_core::LocalFileTime(next), timer_core::LocalFileTime(At(2026, 12, 5, 6, 0)));

    SetClock(Today(6, 0, 40));  // the present minute counts
    ASSERT_EQ(manager.GetNextEpgTime(&next), 1);
    EXPECT_EQ(timer_core::LocalFileTime(next), timer_core::LocalFileTime(Today(6, 0)));

    SetClock(Today(12, 0));  // 12:15 is disabled: on to 23:30
    ASSERT_EQ(manager.GetNextEpgTime(&next), 1);
    EXPECT_EQ(timer_core::LocalFileTime(next), timer_core::LocalFileTime(Today(23, 30)));

    ini(L"0", L"23,30,0");
    ini(L"1", L"6,0,0");
    EXPECT_EQ(manager.GetNextEpgTime(&next), 0);  // only disabled times

    timer_core::EpgTimeEntry entry;
    EXPECT_EQ(timer_core::ParseEpgTimeEntry(L" 4,5,1", &entry), 1);
    EXPECT_EQ(entry.hour, 4);
    EXPECT_EQ(entry.minute, 5);
    EXPECT_EQ(entry.enabled, 1);
    EXPECT_EQ(timer_core::ParseEpgTimeEntry(L"4,5", &entry), 0);
}

constexpr std::uint64_t kMiB = 1024 * 1024;

// The recording folder on a simulated disk of 10000 MiB holding four recordings of 1500 MiB.
class FreeSpaceTest : public SchedulerFixture {
  protected:
    FreeSpaceTest()
        : config_("XDG_CONFIG_HOME", (folder_ / "config").string()),
          home_("HOME", (folder_ / "home").string()),
          disk_("ORVANDEL_SIM_DISK", (folder_ / "disk").string()) {}

    void SetUp() override {
        SchedulerFixture::SetUp();
        std::filesystem::create_directories(folder_ / "rec");
        std::ofstream(folder_ / "disk") << 10000 * kMiB;
        for (const char* name :
             {"202612010000-a.ts", "202612020000-b.ts", "202612030000-c.ts", "202612040000-d.ts"}) {
            std::ofstream(folder_ / "rec" / name);
            std::filesystem::resize_file(folder_ / "rec" / name, 1500 * kMiB);
        }
        auto key = platform::RegistryKey::Create(L"Software\\Friio");
        ASSERT_TRUE(key.has_value());
        ASSERT_TRUE(
            key->SetString(L"SavePath", platform::FromNativePath((folder_ / "rec").native())));
        Ini(L"SET", L"AutoDel", L"1");
        Tuners(1, 1);
        SetClock(Today(19, 0));
    }
    int Remaining() const {
        int count = 0;
        for ([[maybe_unused]] const auto& file :
             std::filesystem::directory_iterator(folder_ / "rec"))
            ++count;
        return count;
    }

    EnvOverride config_;
    EnvOverride home_;
    EnvOverride disk_;
};

TEST_F(FreeSpaceTest, RecordingsFrom12291MhzUpCountTwice) {
    // 30 minutes counted twice: 60 x 150 MiB + 500 MiB must be free, so all four go.
    EXPECT_EQ(manager_.AssignGroup2(Add(L"うみCS映画", Today(20, 0), 30, 3, 0x30030000)), 1);
    manager_.AutoDeleteForSpace();
    EXPECT_EQ(Remaining(), 0);
}

TEST_F(FreeSpaceTest, RecordingsBelow12291MhzAndTerrestrialOnesCountOnce) {
    // 30 minutes once: 5000 MiB must be free; 4000 are, so the oldest recording goes.
    EXPECT_EQ(manager_.AssignGroup2(Add(L"そらBS紀行", Today(20, 0), 30, 3, 0x2FFFFFFF)), 1);
    manager_.AutoDeleteForSpace();
    EXPECT_EQ(Remaining(), 3);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "rec" / "202612010000-a.ts"));

    // Recordings under way count from now: at 20:05 about 25 and 15 minutes, so some 6300 MiB
    // must be free and the next oldest recording goes.
    SetClock(Today(20, 5));
    EXPECT_EQ(manager_.AssignGroup1(Add(L"みなとニュース", Today(20, 0), 20)), 1);
    manager_.AutoDeleteForSpace();
    EXPECT_EQ(Remaining(), 2);

    Ini(L"SET", L"AutoDel", L"0");
    manager_.LoadSettings();
    std::ofstream(folder_ / "disk") << 1000 * kMiB;
    manager_.AutoDeleteForSpace();
    EXPECT_EQ(Remaining(), 2);
}

}  // namespace
}  // namespace scheduler_test
