// The manager's settings, its reservation file, its slots' stop protocol and what a record
// thread that overruns its stop may still use.
#include "timer_core/scheduling/timer_manager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "tests/timer_core/scheduler_fixture.h"

namespace scheduler_test {
namespace {

using TimerManagerTest = SchedulerFixture;

TEST_F(TimerManagerTest, SettingsWithoutAnIniFileAreTheDefaults) {
    TimerManager fresh(platform::FromNativePath((folder_ / "missing.ini").native()));
    EXPECT_EQ(fresh.Settings().tunerCount1, 1);  // before the first load
    EXPECT_EQ(fresh.Settings().NoInfoLog, 1);
    EXPECT_EQ(fresh.Settings().StartSec, L"");

    EXPECT_EQ(fresh.LoadSettings(), 1);
    const timer_core::TimerSettings settings = fresh.Settings();
    EXPECT_EQ(settings.StartSec, L"15");
    EXPECT_EQ(settings.EndSec, L"1");
    EXPECT_EQ(settings.StartSeconds(), 15);
    EXPECT_EQ(settings.TunerCount, L"1");
    EXPECT_EQ(settings.TunerCount2, L"0");
    EXPECT_EQ(settings.tunerCount1, 1);
    EXPECT_EQ(settings.tunerCount2, 0);
    EXPECT_EQ(settings.NoInfoLog, 1);
    EXPECT_EQ(settings.FriioViewPath, L"");
    EXPECT_EQ(settings.EpgViewPath, L"");
    EXPECT_EQ(settings.RecEnd + settings.AutoDel + settings.RecPriority + settings.NameManual +
                  settings.NoErrLog,
              0);
}

TEST_F(TimerManagerTest, TunerCountsAreTheLeadingDigitsOfTheirTexts) {
    Ini(L"SET", L"TunerCount", L"二台");
    Ini(L"SET", L"TunerCount2", L"3台");
    Ini(L"SET", L"FriioViewPath", L"/opt/friio/FriioView");
    Ini(L"SET", L"RecPriority", L"1");
    manager_.LoadSettings();
    const timer_core::TimerSettings settings = manager_.Settings();
    EXPECT_EQ(settings.tunerCount1, 0);
    EXPECT_EQ(settings.tunerCount2, 3);
    EXPECT_EQ(settings.TunerCount2, L"3台");
    EXPECT_EQ(settings.FriioViewPath, L"/opt/friio/FriioView");
    EXPECT_EQ(settings.RecPriority, 1);

    // No terrestrial tuner: nothing terrestrial can be placed, at any tick.
    SetClock(Today(19, 0));
    const auto news = Add(L"みなとニュース", Today(20, 0), 60);
    EXPECT_EQ(manager_.AssignGroup1(news), 0);
    EXPECT_EQ(Assigned(news), 0);
    EXPECT_EQ(manager_.Tick(0), 1);
    EXPECT_EQ(Assigned(news), 0);
    EXPECT_TRUE(manager_.SlotsOfGroup(1).empty());
}

TEST_F(TimerManagerTest, TheIniFileLiesBesideTheExecutableWithItsBaseName) {
    TimerManager beside;
    const platform::PathParts exe = platform::SplitPath(platform::HostExecutablePath());
    EXPECT_EQ(beside.IniPath(), exe.dir + exe.fname + L".ini");
}

TEST_F(TimerManagerTest, LoadingRenumbersAndRewritesTheFileAndAFailureLeavesItAlone) {
    SetClock(Today(12, 0));
    const std::wstring path = platform::FromNativePath((folder_ / "Program.txt").native());
    EXPECT_EQ(manager_.LoadReserveFile(L""), 0);
    EXPECT_EQ(manager_.MergeReserveFile(L""), 0);
    EXPECT_EQ(manager_.LoadReserveFile(path), 0);  // missing: not written either
    EXPECT_FALSE(std::filesystem::exists(folder_ / "Program.txt"));

    {
        timer_core::ReserveList other;
        ReserveEntry entry;
        entry.title = L"港町ドラマ";
        entry.start = Today(21, 0);
        entry.durationMinutes = 54;
        entry.channelName = L"みなと総合";
        entry.channelValue = kMinato;
        entry.eventId = 7;
        other.Add(&entry, 1);  // handed over unnumbered, as a second instance does
        ASSERT_EQ(other.SaveProgramFile(path), 1);
    }
    EXPECT_EQ(manager_.MergeReserveFile(path), 1);
    EXPECT_EQ(manager_.GetReserveAt(0)->id, 1);
    EXPECT_EQ(manager_.GetReserveAt(1), nullptr);
    EXPECT_EQ(manager_.GetReserveAt(-1), nullptr);
    EXPECT_EQ(manager_.LoadReserveFile(path), 1);
    ASSERT_NE(manager_.GetReserveAt(0), nullptr);
    EXPECT_EQ(manager_.GetReserveAt(0)->title, L"港町ドラマ");
    // Saved again after the load: the line now carries its ID.
    std::ifstream in(folder_ / "Program.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("\t1\t\r\n"), std::string::npos) << bytes;
}

// The main window saves and loads the file after the automatic reservations of every EPG
// acquisition, while record threads already hold the next recordings: a held record must stay
// the store's, or its result goes nowhere and a second copy of it waits unassigned.
TEST_F(TimerManagerTest, ARecordThatASlotHoldsStaysInTheStoreThroughALoadOfTheFile) {
    Tuners(1, 1);
    SetClock(Today(2, 0));
    const std::wstring path = platform::FromNativePath((folder_ / "Program.txt").native());
    const auto early = Add(L"みなと早朝便", Today(1, 0), 30);  // past, held by nobody
    const auto news = Add(L"みなとニュース", Today(4, 10), 3);
    const auto travel = Add(L"そらBS紀行", Today(4, 10), 3, 3, kSoraBs);
    const auto drama = Add(L"さくらドラマ", Today(4, 13), 3, 3, kSakura);
    EXPECT_EQ(manager_.Tick(0), 1);
    ASSERT_EQ(Held(1), std::vector<std::wstring>{L"みなとニュース>さくらドラマ"});
    ASSERT_EQ(Held(2), std::vector<std::wstring>{L"そらBS紀行"});

    ASSERT_EQ(manager_.SaveReserveFile(path), 1);
    ASSERT_EQ(manager_.LoadReserveFile(path), 1);
    {
        const std::lock_guard lock(manager_.DataLock());
        auto& store = manager_.Reservations();
        ASSERT_EQ(store.Count(), 4u);
        // Renumbered in start order, the held records among them.
        EXPECT_EQ(store.ShareById(2), news);
        EXPECT_EQ(store.ShareById(3), travel);
        EXPECT_EQ(store.ShareById(4), drama);
        EXPECT_EQ(news->assigned + travel->assigned + drama->assigned, 3);
        EXPECT_NE(store.ShareById(1), early);  // a record no slot holds is read anew
        EXPECT_EQ(store.FindById(1)->assigned, 0);
        const auto slot = manager_.SlotsOfGroup(1).front();
        EXPECT_EQ(slot->currentReserve, news);
        EXPECT_EQ(slot->chainedReserve, drama);
        news->resultText = L"録画終了 ";  // what the record thread notes at the end
    }
    // Nothing is planned twice, and the result reaches the file.
    manager_.Tick(0);
    EXPECT_EQ(Held(1), std::vector<std::wstring>{L"みなとニュース>さくらドラマ"});
    EXPECT_EQ(Held(2), std::vector<std::wstring>{L"そらBS紀行"});
    ASSERT_EQ(manager_.SaveReserveFile(path), 1);
    std::ifstream in(folder_ / "Program.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find(platform::WideToShiftJis(L"\t2\t録画終了 \r\n")), std::string::npos);
}

TEST_F(TimerManagerTest, StoppingEndsEverySlotsThreadAndDropsItsReservations) {
    Tuners(2, 1);
    SetClock(Today(19, 0));
    const auto a = Add(L"みなとニュース", Today(20, 0), 60);
    const auto b = Add(L"さくら歌謡祭", Today(20, 0), 60, 3, kSakura);
    const auto c = Add(L"そらBS紀行", Today(20, 0), 60, 3, kSoraBs);
    EXPECT_EQ(manager_.Tick(0), 1);
    ASSERT_EQ(Held(1).size(), 2u);
    ASSERT_EQ(Held(2).size(), 1u);
    auto slots = manager_.SlotsOfGroup(1);
    const auto satellite = manager_.SlotsOfGroup(2);
    slots.insert(slots.end(), satellite.begin(), satellite.end());

    manager_.StopAllRecordThreads();
    EXPECT_TRUE(manager_.SlotsOfGroup(1).empty());
    EXPECT_TRUE(manager_.SlotsOfGroup(2).empty());
    for (const auto& slot : slots) {
        EXPECT_EQ(slot->thread, nullptr);
        EXPECT_TRUE(slot->StopRequested());
    }
    EXPECT_EQ(Assigned(a) + Assigned(b) + Assigned(c), 0);
}

TEST_F(TimerManagerTest, AThreadThatOverrunsItsStopOutlivesTheManagerAndChangesNothing) {
    SetClock(Today(19, 0));
    platform::Event release(true, false);
    platform::Event done(true, false);
    std::atomic<bool> sawStop{false};
    std::shared_ptr<ReserveEntry> held;
    std::uint64_t stopClockMs = 0;
    std::weak_ptr<RecThreadSlot> slotWatch;
    {
        TimerManager manager(platform::FromNativePath((folder_ / "Orvandel.ini").native()));
        manager.LoadSettings();
        // A thread busy elsewhere when it is stopped: it only looks at its slot afterwards.
        manager.SetRecordProcedure([&](const std::shared_ptr<RecThreadSlot>& slot) {
            platform::WaitForSingleObject(release, platform::INFINITE);
            {
                const std::lock_guard lock(slot->owner->DataLock());
                sawStop = slot->StopRequested();
                if (!sawStop && slot->currentReserve) slot->currentReserve->title = L"書き換え";
                slot->owner->Reservations().RekeyById(1);
            }
            platform::SetEvent(done);
            return platform::DWORD{0};
        });
        ReserveEntry entry;
        entry.title = L"みなとニュース";
        entry.start = Today(20, 0);
        entry.durationMinutes = 60;
        entry.channelValue = kMinato;
        manager.Reservations().Add(&entry, 0);
        held = manager.Reservations().ShareById(1);
        EXPECT_EQ(manager.Tick(0), 1);
        ASSERT_EQ(Assigned(held), 1);
        slotWatch = manager.SlotsOfGroup(1).at(0);
        const std::uint64_t before = platform::GetTickCount64();
        manager.DeleteReserve(1);  // stops the slot: 2000 ms, then the thread is detached
        stopClockMs = platform::GetTickCount64() - before;
        EXPECT_EQ(Assigned(held), 0);
        EXPECT_EQ(manager.Reservations().Count(), 0u);
    }
    EXPECT_GE(stopClockMs, 1900u);
    // The manager is gone; the detached thread still finds its slot, the manager's state and the
    // reservation it held, and being stopped it changes nothing.
    platform::SetEvent(release);
    ASSERT_EQ(platform::WaitForSingleObject(done, 60000), platform::WAIT_OBJECT_0);
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(held->title, L"みなとニュース");
    // When the thread returns it lets go of its slot, the last holder of the manager's state.
    EXPECT_TRUE(timer_core_test::WaitUntil([&] { return slotWatch.expired(); }));
}

}  // namespace
}  // namespace scheduler_test
