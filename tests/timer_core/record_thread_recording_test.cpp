// The record thread's recording phase: the viewer lost early or late, the normal end and the
// stored length, the hand-over to a chained reservation, and the programme's length followed in
// follow mode. Threads are driven cycle by cycle on the simulated clock.
#include <gtest/gtest.h>

#include "platform/process_snapshot.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"
#include "tests/timer_core/record_thread_fixture.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/main_window_messages.h"

namespace record_thread_test {
namespace {

using timer_core::WM_RECORDING_CHAINED;
using timer_core::WM_RECORDING_ENDED;
using timer_core::WM_RESERVATION_UPDATED;

class RecordingPhaseTest : public RecordThreadFixture {
  protected:
    // Takes the thread of a slot whose reservation starts at `start` into its recording phase;
    // its viewer records unless told otherwise.
    void Record(RecordThread& thread, const std::shared_ptr<RecThreadSlot>& slot,
                const platform::SYSTEMTIME& start, bool viewerRecords = true) {
        ASSERT_TRUE(thread.Begin());
        ASSERT_TRUE(CycleAt(thread, start, -100));  // the device
        ASSERT_TRUE(CycleAt(thread, start, -20.5));
        ASSERT_EQ(thread.Phase(), 1);
        if (viewerRecords) GrowRecording(slot);
        ASSERT_TRUE(CycleAt(thread, start, 5));
        ASSERT_EQ(thread.Phase(), 2);
    }
    // The same in follow mode, where the plug-in tells `present` and then the reservation.
    std::unique_ptr<FakePlugin> RecordFollowing(RecordThread& thread,
                                                const std::shared_ptr<RecThreadSlot>& slot,
                                                const std::shared_ptr<ReserveEntry>& present,
                                                bool viewerRecords = true) {
        const platform::SYSTEMTIME start = Read(slot->currentReserve).start;
        auto plugin = FollowFinalMinute(thread, slot);
        plugin->PublishEvent(EventInfo(Read(present), Read(slot->currentReserve)));
        EXPECT_TRUE(CycleAt(thread, start, -20.5));
        EXPECT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_REC_START));
        if (viewerRecords) GrowRecording(slot);
        EXPECT_TRUE(CycleAt(thread, start, 5));
        EXPECT_EQ(thread.Phase(), 2);
        return plugin;
    }
    void Kill(platform::DWORD pid) {
        platform::TerminateProcess(pid, 1);
        ASSERT_EQ(platform::WaitForProcess(pid, timer_core_test::kProcessEndMs),
                  platform::WAIT_OBJECT_0);
    }
    // When the fake viewer of that process was told to stop recording (0xfb9); 0 if never.
    std::uint64_t StoppedAt(platform::DWORD pid) const {
        for (const auto& [time, message] : ViewerMessages(pid)) {
            if (message == "0xfb9") return time;
        }
        return 0;
    }
};

TEST_F(RecordingPhaseTest, AViewerLostThreeMinutesBeforeTheEndEndsTheSlot) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto news = Add(L"みなと夜のニュース", start, 30, 0);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    Record(thread, slot, start);
    EXPECT_EQ(thread.Period(), 10000u);
    // The viewer records 31 minutes: the slot's recording ends at 20:31.
    Kill(ViewerOf(slot));
    EXPECT_FALSE(CycleAt(thread, start, 28 * 60));
    const ReserveEntry lost = Read(news);
    EXPECT_EQ(lost.resultText, L"録画中に終了された可能性があります ");
    EXPECT_EQ(lost.assigned, 0);
    EXPECT_EQ(lost.durationMinutes, 30u);
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED));
    EXPECT_EQ(main_.Entries().size(), 1u);
}

TEST_F(RecordingPhaseTest, AViewerLost90SecondsBeforeTheEndEndsNormallyWithTheMarginsStored) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto news = Add(L"みなと夜のニュース", start, 30, 0);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    Record(thread, slot, start);
    Kill(ViewerOf(slot));
    ASSERT_TRUE(CycleAt(thread, start, 29.5 * 60));
    EXPECT_EQ(thread.Period(), 10000u);
    ASSERT_TRUE(CycleAt(thread, start, 30 * 60 + 5));
    EXPECT_EQ(thread.Period(), 1000u);  // the last minute
    EXPECT_EQ(main_.Entries().size(), 0u);
    // The end is 20:31 (the margins' minute) and EndSec 1 more.
    ASSERT_TRUE(CycleAt(thread, start, 31 * 60 + 0.5));
    EXPECT_FALSE(CycleAt(thread, start, 31 * 60 + 1.5));
    const ReserveEntry ended = Read(news);
    EXPECT_EQ(ended.resultText, L"録画終了 ");
    EXPECT_EQ(ended.assigned, 0);
    EXPECT_EQ(ended.durationMinutes, 31u);
    EXPECT_EQ(ended.durationSeconds, 0u);
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED));
    EXPECT_EQ(main_.Entries().size(), 1u);
}

TEST_F(RecordingPhaseTest, EqualPrioritiesHandOver20SecondsEarlyAndStartSecMoreWithRecPriority) {
    for (const int recPriority : {0, 1}) {
        SCOPED_TRACE(recPriority);
        Set(L"RecPriority", std::to_wstring(recPriority));
        const platform::SYSTEMTIME start = Today(recPriority == 0 ? 20 : 22, 0);
        const platform::SYSTEMTIME next =
            timer_core::LocalSystemTime(Clock(start) + 30 * 600000000ull);
        const auto first = Add(L"みなと歌謡祭", start, 30, 0);
        const auto second = Add(L"みなと劇場", next, 30, 0);
        const auto slot = Slot(first, second);
        RecordThread thread(slot);
        Record(thread, slot, start);
        const platform::DWORD viewer = ViewerOf(slot);
        const double early = recPriority == 0 ? 20 : 15 + 20;
        ASSERT_TRUE(CycleAt(thread, next, -early - 0.5));
        EXPECT_EQ(StoppedAt(viewer), 0u);
        ASSERT_TRUE(CycleAt(thread, next, -early + 0.5));
        EXPECT_NEAR(SecondsBetween(Clock(next), StoppedAt(viewer)), -early, 1.5);
        ASSERT_TRUE(main_.WaitFor(WM_RECORDING_CHAINED, recPriority + 1));
        EXPECT_TRUE(thread.Continuing());
        EXPECT_EQ(thread.Period(), 1000u);
        EXPECT_EQ(Read(first).resultText, L"録画終了 ");
        EXPECT_EQ(Read(first).durationMinutes, 30u);  // cut at the chained start: no margins
        {
            const std::lock_guard lock(manager_.DataLock());
            EXPECT_EQ(slot->currentReserve, second);
            EXPECT_EQ(slot->chainedFlag, 0);
        }
        // The chained programme records on the same device from its prepared start.
        const std::size_t started = Runs().size();
        ASSERT_TRUE(CycleAt(thread, next, -19.5));
        ASSERT_EQ(Runs().size(), started + 1);
        EXPECT_TRUE(Runs().back().Has("-o", "0"));
        EXPECT_TRUE(Runs().back().HasFlag("-x"));
        platform::SetEvent(slot->stopEvent);
    }
}

TEST_F(RecordingPhaseTest, AnExtensionInFollowModeIsSentOnceAndAShorteningKeepsTheLength) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto after = Add(L"みなと深夜便", Today(20, 30), 30, 1);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    const auto plugin = RecordFollowing(thread, slot, before);
    const platform::DWORD viewer = ViewerOf(slot);

    // Shortened by the broadcaster: the reserved length stays.
    ReserveEntry present = Read(news);
    present.durationMinutes = 20;
    plugin->PublishEvent(EventInfo(present, Read(after)));
    ASSERT_TRUE(CycleAt(thread, start, 60));
    EXPECT_EQ(Read(news).durationMinutes, 30u);
    EXPECT_EQ(thread.PlannedSeconds(), 30 * 60);

    // Extended by 10 minutes: one 0x43F with the request's minutes and margin, one 0x472.
    present.durationMinutes = 40;
    plugin->PublishEvent(EventInfo(present, Read(after)));
    ASSERT_TRUE(CycleAt(thread, start, 120));
    ASSERT_TRUE(CycleAt(thread, start, 130));
    ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_REC_LENGTH));
    ASSERT_TRUE(main_.WaitFor(WM_RESERVATION_UPDATED));
    ASSERT_TRUE(CycleAt(thread, start, 140));
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_LENGTH), 1);
    EXPECT_EQ(plugin->Messages().Of(shared::WM_PLUGIN_REC_LENGTH)[0].wParam, 40u);
    // The recording began 20.5 s before the start: the margin holds those 21 s, EndSec and the
    // 5 s the plug-in takes off, so that the viewer records until EndSec after 20:40.
    EXPECT_EQ(plugin->Messages().Of(shared::WM_PLUGIN_REC_LENGTH)[0].lParam, 27);
    EXPECT_EQ(main_.Count(WM_RESERVATION_UPDATED), 1);
    EXPECT_EQ(Read(news).durationMinutes, 40u);
    shared::RecordRequest request;
    ASSERT_EQ(shared::ReadRecSharedMemory(viewer, &request), 1);
    EXPECT_EQ(request.minutes, 40u);
    EXPECT_EQ(request.marginSeconds, 27);

    // The slot ends ten minutes later than planned.
    ASSERT_TRUE(CycleAt(thread, start, 30 * 60 + 2));
    ASSERT_TRUE(CycleAt(thread, start, 40 * 60 + 0.5));
    EXPECT_FALSE(CycleAt(thread, start, 40 * 60 + 1.5));
    EXPECT_EQ(Read(news).resultText, L"録画終了 ");
    EXPECT_EQ(Read(news).durationMinutes, 40u);
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED));
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_STOP), 0);
    EXPECT_NE(StoppedAt(viewer), 0u);  // the viewer was closed
}

// "録画終了" only for a file that grew during the recording: a viewer that never recorded (hung,
// stopped, its plug-in never asked) leaves the note of a recording cut short, with the same end
// message, whether its file is missing or an earlier recording's of that name.
TEST_F(RecordingPhaseTest, ARecordingThatHoldsNothingEndsWithTheNoteOfACutRecording) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto news = Add(L"みなと夜のニュース", start, 2, 0);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    Record(thread, slot, start, false);
    ASSERT_TRUE(CycleAt(thread, start, 3 * 60 + 0.5));
    EXPECT_FALSE(CycleAt(thread, start, 3 * 60 + 1.5));
    EXPECT_EQ(Read(news).resultText, L"録画中に終了された可能性があります ");
    EXPECT_EQ(Read(news).assigned, 0);
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED));
    EXPECT_EQ(main_.Entries().size(), 1u);
    EXPECT_EQ(DebugCount("record thread: the recording holds nothing (" + recordings_.string() +
                         "/2026120420000-みなと夜のニュース.ts), ID " +
                         std::to_string(Read(news).id) + " みなと夜のニュース 2026/12/04 20:00"),
              1);

    // Follow mode, the file of an earlier recording of that name left as it was.
    const platform::SYSTEMTIME later = Today(21, 0);
    const auto before = Add(L"みなと天気", Today(20, 30), 30, 1);
    const auto film = Add(L"みなと映画", later, 2, 1);
    const auto second = Slot(film);
    std::ofstream(RecordingOf(second), std::ios::binary) << std::string(188 * 4, 'E');
    RecordThread following(second);
    const auto plugin = RecordFollowing(following, second, before, false);
    ASSERT_TRUE(CycleAt(following, later, 2 * 60 + 0.5));
    EXPECT_FALSE(CycleAt(following, later, 2 * 60 + 1.5));
    EXPECT_EQ(Read(film).resultText, L"録画中に終了された可能性があります ");
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED, 2));
    EXPECT_EQ(DebugCount("record thread: the recording holds nothing ("), 2);
}

TEST_F(RecordingPhaseTest, AnExtensionNeverRunsIntoAChainedProgrammeThatWins) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const platform::SYSTEMTIME chainedStart = Today(20, 25);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1, 2);
    const auto special = Add(L"みなと特番", chainedStart, 30, 1, 4);
    const auto slot = Slot(news, special);
    RecordThread thread(slot);
    const auto plugin = RecordFollowing(thread, slot, before);
    EXPECT_EQ(thread.PlannedSeconds(), 25 * 60);
    const platform::DWORD viewer = ViewerOf(slot);

    ReserveEntry present = Read(news);
    present.durationMinutes = 40;
    plugin->PublishEvent(EventInfo(present, Read(special)));
    ASSERT_TRUE(CycleAt(thread, start, 60));
    ASSERT_TRUE(CycleAt(thread, start, 70));
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_LENGTH), 0);
    EXPECT_EQ(thread.PlannedSeconds(), 25 * 60);

    // The lower-priority recording stops StartSec + 20 s before the chained start.
    ASSERT_TRUE(CycleAt(thread, chainedStart, -35.5));
    EXPECT_EQ(StoppedAt(viewer), 0u);
    ASSERT_TRUE(CycleAt(thread, chainedStart, -34.5));
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_CHAINED));
    EXPECT_NEAR(SecondsBetween(Clock(chainedStart), StoppedAt(viewer)), -35, 1.5);
    EXPECT_EQ(Read(news).durationMinutes, 25u);
}

}  // namespace
}  // namespace record_thread_test
