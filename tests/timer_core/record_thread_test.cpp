// The record thread up to the start of a recording: the offset of the broadcast clock, the
// waiting phase and its cycles, the device choice, the final minute in fixed and follow mode
// and the start itself. Threads are driven cycle by cycle on the simulated clock, which each
// step sets; where threads race, they run as the scheduler starts them.
#include <gtest/gtest.h>

#include "platform/process_snapshot.h"
#include "shared/window_message_ids.h"
#include "tests/timer_core/record_thread_fixture.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/reservation_notes.h"

namespace record_thread_test {
namespace {

using timer_core::ComputeCycleClock;
using timer_core::kSpanSecond;
using timer_core::TimeSpan;
using timer_core_test::WaitUntil;

constexpr TimeSpan kStart = 1000000 * kSpanSecond;

TEST(CycleClockTest, TheBroadcastClockOffsetCountsOnlyWithinTheLastMinuteOrWhenContinuing) {
    // Ten minutes ahead, a broadcast clock 30 s ahead of the PC is not used.
    auto clock = ComputeCycleClock(kStart, kStart - 600 * kSpanSecond, 30, 15, false);
    EXPECT_FALSE(clock.offsetApplied);
    EXPECT_EQ(clock.now, kStart - 600 * kSpanSecond);
    EXPECT_EQ(clock.r, 580 * kSpanSecond);
    // 90 s ahead by the PC, 60 s by the broadcast clock: used from here on.
    clock = ComputeCycleClock(kStart, kStart - 90 * kSpanSecond, 30, 15, false);
    EXPECT_TRUE(clock.offsetApplied);
    EXPECT_EQ(clock.now, kStart - 60 * kSpanSecond);
    EXPECT_EQ(clock.r, 40 * kSpanSecond);
    clock = ComputeCycleClock(kStart, kStart - 91 * kSpanSecond, 30, 15, false);
    EXPECT_FALSE(clock.offsetApplied);
    EXPECT_EQ(clock.r, 71 * kSpanSecond);
    // A clock behind the PC counts the same way; continuing with a chained reservation, always.
    clock = ComputeCycleClock(kStart, kStart - 30 * kSpanSecond, -10, 15, false);
    EXPECT_EQ(clock.r, 20 * kSpanSecond);
    clock = ComputeCycleClock(kStart, kStart - 600 * kSpanSecond, 30, 15, true);
    EXPECT_TRUE(clock.offsetApplied);
    EXPECT_EQ(clock.r, 550 * kSpanSecond);
    // Without an offset r is the time to StartSec + 5 s before the start.
    clock = ComputeCycleClock(kStart, kStart - 20 * kSpanSecond, std::nullopt, 15, false);
    EXPECT_FALSE(clock.offsetApplied);
    EXPECT_EQ(clock.r, 0);
}

using RecordThreadTest = RecordThreadFixture;

TEST_F(RecordThreadTest,
       WithStartSec15TheDeviceIsChosenBetween120And60SAndTheViewerRecordsFrom20S) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto news = Add(L"みなと夜のニュース", start, 30, 0);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    ASSERT_TRUE(thread.Begin());

    // r = 160 s and 121 s: 10 s cycles, nothing chosen.
    ASSERT_TRUE(CycleAt(thread, start, -180));
    EXPECT_EQ(thread.Period(), 10000u);
    ASSERT_TRUE(CycleAt(thread, start, -141));
    EXPECT_EQ(thread.Period(), 10000u);
    EXPECT_EQ(DeviceOf(slot), RecThreadSlot::kNoDevice);
    EXPECT_TRUE(Runs().empty());

    // r = 119 s: 3 s cycles and the device choice, through a viewer started for the asking.
    ASSERT_TRUE(CycleAt(thread, start, -139));
    EXPECT_EQ(thread.Period(), 3000u);
    EXPECT_EQ(DeviceOf(slot), 0);
    auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"-n", "-o", "0"}));
    EXPECT_FALSE(IsViewer(runs[0].pid));  // closed again

    // r = 61 s: no second choice; r = 59 s: the final minute, 1 s cycles, no viewer in fixed mode.
    ASSERT_TRUE(CycleAt(thread, start, -81));
    EXPECT_EQ(thread.Period(), 3000u);
    ASSERT_TRUE(CycleAt(thread, start, -79));
    EXPECT_EQ(thread.Period(), 1000u);
    ASSERT_TRUE(CycleAt(thread, start, -21.5));  // r = 1.5 s
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(thread.Phase(), 0);

    // r = 0.8 s: the viewer records, with the margins' minute.
    ASSERT_TRUE(CycleAt(thread, start, -20.8));
    EXPECT_EQ(thread.Phase(), 1);
    EXPECT_EQ(thread.Period(), 7000u);
    EXPECT_EQ(thread.PlannedSeconds(), 31 * 60);
    runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].args, (std::vector<std::string>{"-n", "-c", "27", "-r", "31", "-x", "-f",
                                                      "2026120420000-みなと夜のニュース.ts", "-d",
                                                      "5", "-e", "-o", "0"}));
    EXPECT_NEAR(SecondsBetween(Clock(start), runs[1].time), -20.8, 1.0);
    EXPECT_EQ(ViewerOf(slot), runs[1].pid);
}

TEST_F(RecordThreadTest, ABroadcastClock30SecondsAheadMovesTheFollowModeStartBy30Seconds) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    const auto plugin = FollowFinalMinute(thread, slot);
    EXPECT_EQ(thread.Period(), 7000u);
    EXPECT_EQ(DeviceOf(slot), 0);
    EXPECT_TRUE(Runs().back().Has("-c", "27"));
    EXPECT_TRUE(Runs().back().Has("-o", "0"));
    plugin->PublishTime(30);
    plugin->PublishEvent(EventInfo(Read(before), Read(news)));
    // 52 s before by the PC, 22 s by the broadcast clock: r = 2 s, tuned but not started.
    ASSERT_TRUE(CycleAt(thread, start, -52));
    EXPECT_EQ(thread.Period(), 1000u);
    ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_TUNE));
    EXPECT_EQ(plugin->Messages().Of(shared::WM_PLUGIN_TUNE)[0].wParam, 27u);
    EXPECT_EQ(plugin->Messages().Of(shared::WM_PLUGIN_TUNE)[0].lParam, 0x400);
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_START), 0);
    // r = 0.5 s by the broadcast clock: the plug-in records.
    ASSERT_TRUE(CycleAt(thread, start, -50.5));
    ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_REC_START));
    EXPECT_EQ(thread.Phase(), 1);
    EXPECT_EQ(thread.PlannedSeconds(), 30 * 60);
    EXPECT_NEAR(
        SecondsBetween(Clock(start), plugin->Messages().Of(shared::WM_PLUGIN_REC_START)[0].time),
        -50.5, 1.0);
    EXPECT_GE(DebugCount("delay 30"), 2);
}

TEST_F(RecordThreadTest, APassedPreparedStartRecordsAtOnceWithoutADeviceChoice) {
    const platform::SYSTEMTIME start = Today(20, 0);
    // Fixed mode: a viewer records on no device of its own choice.
    const auto fixed = Add(L"みなと夜のニュース", start, 30, 0);
    const auto fixedSlot = Slot(fixed);
    RecordThread fixedThread(fixedSlot);
    ASSERT_TRUE(fixedThread.Begin());
    ASSERT_TRUE(CycleAt(fixedThread, start, -10));
    EXPECT_EQ(fixedThread.Phase(), 2);
    EXPECT_EQ(DeviceOf(fixedSlot), RecThreadSlot::kNoDevice);
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);  // no viewer was started to ask for a device
    EXPECT_TRUE(runs[0].HasFlag("-x"));
    EXPECT_TRUE(runs[0].Has("-o", "255"));
    EXPECT_EQ(ViewerOf(fixedSlot), runs[0].pid);

    // Follow mode: no viewer to ask, so the slot ends with more than 120 s left.
    const auto follow = Add(L"さくら映画館", start, 30, 1);
    const auto followSlot = Slot(follow);
    RecordThread followThread(followSlot);
    ASSERT_TRUE(followThread.Begin());
    EXPECT_FALSE(CycleAt(followThread, start, -10));
    EXPECT_EQ(DeviceOf(followSlot), RecThreadSlot::kNoDevice);
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(DebugCount("rec faile"), 10);  // the plug-in of no viewer was asked 11 times
    const ReserveEntry ended = Read(follow);
    EXPECT_EQ(ended.resultText, L"録画中に終了された可能性があります ");
    EXPECT_EQ(ended.assigned, 0);
    ASSERT_TRUE(main_.WaitFor(timer_core::WM_RECORDING_ENDED));
    EXPECT_EQ(main_.Entries().size(), 1u);
}

TEST_F(RecordThreadTest, TwoSlotsChoosingAtOnceNeverTakeTheSameDevice) {
    Tuners(3, 0);
    std::ofstream(viewer_.Folder() / "kinds") << "1 1 1\n";
    const platform::SYSTEMTIME start = Today(21, 0);
    Add(L"みなと歌謡祭", start, 60, 0);
    Add(L"さくらドラマ", start, 60, 0);
    SetClockAround(start, -90);  // r = 70 s: both threads choose in their first cycle
    ASSERT_EQ(manager_.Tick(0), 1);
    const auto slots = manager_.SlotsOfGroup(1);
    ASSERT_EQ(slots.size(), 2u);
    ASSERT_TRUE(WaitUntil([&] {
        return DeviceOf(slots[0]) != RecThreadSlot::kNoDevice &&
               DeviceOf(slots[1]) != RecThreadSlot::kNoDevice;
    }));
    EXPECT_NE(DeviceOf(slots[0]), DeviceOf(slots[1]));
    EXPECT_LE(std::max(DeviceOf(slots[0]), DeviceOf(slots[1])), 1);
}

TEST_F(RecordThreadTest, ThirtyOneUnreadableProgrammePollsTurnFollowModeOffOnce) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    ASSERT_TRUE(thread.Begin());
    ASSERT_TRUE(CycleAt(thread, start, -100));
    ASSERT_TRUE(CycleAt(thread, start, -80));  // the viewer, whose plug-in tells nothing
    const platform::DWORD viewer = ViewerOf(slot);
    ASSERT_NE(viewer, 0u);

    const auto poll = [&](int times) {
        for (int i = 0; i < times; ++i)
            ASSERT_TRUE(CycleAt(thread, start, -60));
    };
    poll(30);
    EXPECT_EQ(Read(news).follow, 1);
    // A readable record starts the count afresh.
    {
        FakePlugin plugin(viewer);
        plugin.PublishEvent(EventInfo(Read(before), Read(news)));
        poll(1);
        ASSERT_TRUE(plugin.Messages().WaitFor(shared::WM_PLUGIN_TUNE));
    }
    poll(30);
    EXPECT_EQ(Read(news).follow, 1);
    EXPECT_EQ(main_.Count(timer_core::WM_RESERVATION_UPDATED), 0);
    // The 31st unreadable poll in a row.
    poll(1);
    const ReserveEntry off = Read(news);
    EXPECT_EQ(off.follow, 0);
    EXPECT_EQ(off.resultText, L"Quorvantel Plug-Inが認識できなかったので追従機能OFFにしました ");
    ASSERT_TRUE(main_.WaitFor(timer_core::WM_RESERVATION_UPDATED));
    // Fixed mode from here on: the viewer goes, and nothing more is noted.
    poll(1);
    EXPECT_EQ(thread.Period(), 3000u);
    EXPECT_FALSE(IsViewer(viewer));
    EXPECT_EQ(ViewerOf(slot), 0u);
    EXPECT_EQ(main_.Count(timer_core::WM_RESERVATION_UPDATED), 1);
    EXPECT_EQ(Read(news).resultText, off.resultText);
}

}  // namespace
}  // namespace record_thread_test
