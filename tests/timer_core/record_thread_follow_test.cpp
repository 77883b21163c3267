// Follow mode in the final minute: the programme moved, postponed or already on air, the
// six-hour rule, a record of another service, the chained reservation kept in step, and a
// chained programme that waits for its new viewer's plug-in; and the thread's own start checks.
#include <gtest/gtest.h>

#include "platform/process_snapshot.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"
#include "tests/timer_core/record_thread_fixture.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/reservation_notes.h"

namespace record_thread_test {
namespace {

using timer_core::WM_RECORDING_CHAINED;
using timer_core::WM_RECORDING_ENDED;
using timer_core::WM_RESCHEDULE;
using timer_core::WM_RESERVATION_UPDATED;
using timer_core_test::WaitUntil;

class FollowModeTest : public RecordThreadFixture {
  protected:
    bool Holds(const std::shared_ptr<RecThreadSlot>& slot) const {
        const std::lock_guard lock(manager_.DataLock());
        return slot->currentReserve || slot->chainedReserve || slot->chainedFlag != 0;
    }
};

TEST_F(FollowModeTest, AMovedProgrammeIsGivenBackWithItsNewStartAndTheChainedOneFollows) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto after = Add(L"みなと深夜便", Today(20, 30), 30, 1);
    const auto slot = Slot(news, after);
    RecordThread thread(slot);
    const auto plugin = FollowFinalMinute(thread, slot);
    const platform::DWORD viewer = ViewerOf(slot);

    // The broadcaster starts the news five minutes later and makes it 35 minutes long.
    ReserveEntry moved = Read(news);
    moved.start = Today(20, 5);
    moved.durationMinutes = 35;
    plugin->PublishEvent(EventInfo(Read(before), moved));
    EXPECT_FALSE(CycleAt(thread, start, -60));

    const ReserveEntry now = Read(news);
    EXPECT_EQ(Clock(now.start), Clock(Today(20, 5)));
    EXPECT_EQ(now.durationMinutes, 35u);
    EXPECT_EQ(now.postponed, 0);
    EXPECT_EQ(now.assigned, 0);
    EXPECT_EQ(now.resultText, L"開始時間が変わりました(予約時 2026/12/04 20:00) ");
    // The chained programme starts after the news' new end, and is released as well.
    const ReserveEntry next = Read(after);
    EXPECT_EQ(Clock(next.start), Clock(Today(20, 40)));
    EXPECT_EQ(next.resultText, L"開始時間が変わりました(予約時 2026/12/04 20:30) ");
    EXPECT_EQ(next.assigned, 0);
    EXPECT_FALSE(Holds(slot));
    // More than a minute away: the viewer is closed; within 8 minutes: planned again soon.
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_STOP), 1);
    EXPECT_EQ(plugin->Messages().Count(shared::WM_VIEWER_CLOSE), 1);
    EXPECT_FALSE(IsViewer(viewer));
    ASSERT_TRUE(main_.WaitFor(WM_RESCHEDULE));
    EXPECT_EQ(main_.Entries().size(), 1u);
    // The store files it under its new start (a minute early).
    const std::lock_guard lock(manager_.DataLock());
    EXPECT_EQ(manager_.Reservations().FirstAfter(L"202612042003")->id, now.id);
}

TEST_F(FollowModeTest, AProgrammeNotInSightIsPostponedBehindTheFollowingOne) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto sports = Add(L"みなとスポーツ", start, 10, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto after = Add(L"みなと深夜便", Today(20, 30), 30, 1);
    const auto slot = Slot(news, after);
    RecordThread thread(slot);
    const auto plugin = FollowFinalMinute(thread, slot);

    // Sports run from 20:00 to 20:10; the news is neither on air nor next.
    plugin->PublishEvent(EventInfo(Read(before), Read(sports)));
    EXPECT_FALSE(CycleAt(thread, start, -60));
    const ReserveEntry now = Read(news);
    EXPECT_EQ(Clock(now.start), Clock(Today(20, 10)));
    EXPECT_EQ(now.durationMinutes, 30u);
    EXPECT_EQ(now.postponed, 1);
    EXPECT_EQ(now.resultText, L"開始時間が変わりました(予約時 2026/12/04 20:00) ");
    // The chained programme moves behind the postponed end; its note names its new start.
    const ReserveEntry next = Read(after);
    EXPECT_EQ(Clock(next.start), Clock(Today(20, 40)));
    EXPECT_EQ(next.resultText, L"開始時間が変わりました(予約時 2026/12/04 20:40) ");
    // More than 8 minutes away: the slot ends and the regular tick plans it.
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED));
    EXPECT_EQ(main_.Entries().size(), 1u);
}

TEST_F(FollowModeTest, AfterSixHoursOfMovesTheReservationIsGivenUp) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto sports = Add(L"みなとスポーツ", start, 10, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    {
        const std::lock_guard lock(manager_.DataLock());
        news->resultText = L"開始時間が変わりました(予約時 2026/12/04 14:05) ";
    }
    const auto slot = Slot(news);
    RecordThread thread(slot);
    const auto plugin = FollowFinalMinute(thread, slot);
    plugin->PublishEvent(EventInfo(Read(before), Read(sports)));
    EXPECT_FALSE(CycleAt(thread, start, -60));
    const ReserveEntry now = Read(news);
    EXPECT_EQ(now.resultText,
              L"開始時間が変わりました(予約時 2026/12/04 14:05) "
              L"6時間以上みつからなかったので中止します ");
    EXPECT_EQ(Clock(now.start), Clock(start));
    EXPECT_EQ(now.assigned, 0);
    EXPECT_FALSE(Holds(slot));
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_STOP), 1);
    EXPECT_EQ(plugin->Messages().Count(shared::WM_VIEWER_CLOSE), 1);
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED));
    const auto messages = main_.Entries();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, WM_RESERVATION_UPDATED);
    EXPECT_EQ(messages[1].message, WM_RECORDING_ENDED);
}

TEST_F(FollowModeTest, AProgrammeAlreadyOnAirIsRecordedAtOnceForWhatIsLeftOfIt) {
    Set(L"NoInfoLog", L"0");
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto after = Add(L"みなと深夜便", Today(20, 30), 30, 1);
    const auto slot = Slot(news, after);
    RecordThread thread(slot);
    const auto plugin = FollowFinalMinute(thread, slot);

    // On air since 19:59 until 20:29; the next programme follows at 20:29.
    ReserveEntry early = Read(news);
    early.start = Today(19, 59);
    ReserveEntry next = Read(after);
    next.start = Today(20, 29);
    plugin->PublishEvent(EventInfo(early, next));
    ASSERT_TRUE(CycleAt(thread, start, -40));
    ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_WRITE_PROGRAM_TEXT));
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_START), 1);
    EXPECT_EQ(thread.Period(), 7000u);
    const ReserveEntry now = Read(news);
    EXPECT_EQ(now.durationMinutes, 29u);  // 20:29 - 19:59:20 in whole minutes
    EXPECT_EQ(now.resultText, L"開始時間が変わりました(予約時 2026/12/04 20:00) ");
    EXPECT_EQ(Clock(Read(after).start), Clock(Today(20, 29)));
    EXPECT_EQ(Read(after).resultText, L"開始時間が変わりました(予約時 2026/12/04 20:30) ");
    ASSERT_TRUE(main_.WaitFor(WM_RESERVATION_UPDATED));
    EXPECT_EQ(thread.PlannedSeconds(), 29 * 60);
    shared::RecordRequest request;
    ASSERT_EQ(shared::ReadRecSharedMemory(ViewerOf(slot), &request), 1);
    EXPECT_EQ(request.minutes, 29u);
    // The minutes count from now (19:59:20): 40 s more of the programme, EndSec and the 5 s the
    // plug-in takes off, so that the viewer records until 20:29:01.
    EXPECT_EQ(request.marginSeconds, 46);
    {
        const std::lock_guard lock(manager_.DataLock());
        EXPECT_EQ(slot->chainedReserve, after);  // the chain stays
    }
}

// A record of another service (the plug-in has not tuned yet, or cannot) decides nothing of the
// reservation; at r <= 1 s the start goes out all the same, as 0x43D tunes the service itself.
TEST_F(FollowModeTest, ARecordOfAnotherServiceRetunesAndTheStartGoesOutAllTheSame) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto other = Add(L"さくら通販", Today(19, 0), 120, 1, 3, scheduler_test::kSakura);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    const auto plugin = FollowFinalMinute(thread, slot);
    plugin->PublishEvent(EventInfo(Read(other), Read(other)));
    // r = 1.5 s: tuned twice, neither postponed nor started.
    ASSERT_TRUE(CycleAt(thread, start, -21.5));
    ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_TUNE, 2));
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_REC_START), 0);
    EXPECT_EQ(thread.Phase(), 0);
    EXPECT_EQ(Clock(Read(news).start), Clock(start));
    EXPECT_TRUE(Holds(slot));
    // r = 0.5 s: tuned again, and the recording of the reserved programme is asked for.
    ASSERT_TRUE(CycleAt(thread, start, -20.5));
    ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_REC_START));
    EXPECT_EQ(plugin->Messages().Of(shared::WM_PLUGIN_REC_START)[0].wParam,
              static_cast<platform::WPARAM>(kMinato));
    EXPECT_EQ(plugin->Messages().Of(shared::WM_PLUGIN_REC_START)[0].lParam, 0x400);
    EXPECT_EQ(plugin->Messages().Count(shared::WM_PLUGIN_TUNE), 4);
    EXPECT_EQ(thread.Phase(), 1);
    EXPECT_EQ(Clock(Read(news).start), Clock(start));
    ASSERT_TRUE(CycleAt(thread, start, -13.5));
    EXPECT_EQ(thread.Phase(), 2);
}

TEST_F(FollowModeTest, AChainedProgrammeStartsOnceItsNewViewersPlugInAnswers) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const platform::SYSTEMTIME next = Today(20, 30);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto after = Add(L"みなと深夜便", next, 30, 1);
    const auto slot = Slot(news, after);
    RecordThread thread(slot);
    auto plugin = FollowFinalMinute(thread, slot);
    plugin->PublishEvent(EventInfo(Read(before), Read(news)));
    ASSERT_TRUE(CycleAt(thread, start, -20.5));
    ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_REC_START));
    ASSERT_TRUE(CycleAt(thread, start, 5));
    const platform::DWORD first = ViewerOf(slot);

    // 20 s before the chained start the first viewer goes and the chain moves up.
    ASSERT_TRUE(CycleAt(thread, next, -19.5));
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_CHAINED));
    EXPECT_FALSE(IsViewer(first));
    // A new viewer on the same device, whose plug-in is not there yet: no start.
    ASSERT_TRUE(CycleAt(thread, next, -18.5));
    const platform::DWORD second = ViewerOf(slot);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_TRUE(Runs().back().Has("-o", "0"));
    ASSERT_TRUE(CycleAt(thread, next, -11));
    ASSERT_TRUE(CycleAt(thread, next, -10));
    EXPECT_TRUE(thread.Continuing());
    // Its plug-in answers: the recording starts.
    FakePlugin secondPlugin(second);
    secondPlugin.PublishEvent(EventInfo(Read(news), Read(after)));
    ASSERT_TRUE(CycleAt(thread, next, -9));
    ASSERT_TRUE(secondPlugin.Messages().WaitFor(shared::WM_PLUGIN_REC_START));
    EXPECT_FALSE(thread.Continuing());
    EXPECT_EQ(thread.Phase(), 1);
}

// After a hand-over the chained programme's viewer tells another service, or cannot be started:
// the start goes out at r <= 1 s all the same, and a slot whose recording cannot run ends with
// its note instead of holding its tuner for good.
class ChainedHandOverTest : public FollowModeTest {
  protected:
    // Records `news` and hands its slot over to `after` 20 s before that starts.
    void HandOver(RecordThread& thread, const std::shared_ptr<RecThreadSlot>& slot) {
        auto plugin = FollowFinalMinute(thread, slot);
        plugin->PublishEvent(EventInfo(Read(before_), Read(news_)));
        ASSERT_TRUE(CycleAt(thread, start_, -20.5));
        ASSERT_TRUE(plugin->Messages().WaitFor(shared::WM_PLUGIN_REC_START));
        ASSERT_TRUE(CycleAt(thread, start_, 5));
        ASSERT_TRUE(CycleAt(thread, next_, -19.5));
        ASSERT_TRUE(main_.WaitFor(WM_RECORDING_CHAINED));
    }
    // The next cycle's new viewer for the chained programme (0 when none came).
    platform::DWORD NewViewer(RecordThread& thread, const std::shared_ptr<RecThreadSlot>& slot) {
        EXPECT_TRUE(CycleAt(thread, next_, -18.5));
        return ViewerOf(slot);
    }
    // At r <= 1 s the plug-in was asked to record the reserved service.
    static void ExpectAskedToRecord(const FakePlugin& plugin) {
        ASSERT_TRUE(plugin.Messages().WaitFor(shared::WM_PLUGIN_REC_START));
        EXPECT_EQ(plugin.Messages().Of(shared::WM_PLUGIN_REC_START)[0].lParam, 0x400);
    }

    const platform::SYSTEMTIME start_ = Today(20, 0);
    const platform::SYSTEMTIME next_ = Today(20, 30);
    const std::shared_ptr<ReserveEntry> before_ = Add(L"みなと天気", Today(19, 30), 30, 1);
    const std::shared_ptr<ReserveEntry> news_ = Add(L"みなと夜のニュース", start_, 30, 1);
    const std::shared_ptr<ReserveEntry> after_ = Add(L"みなと深夜便", next_, 30, 1);
};

TEST_F(ChainedHandOverTest, ANewViewerTellingAnotherServiceIsAskedToRecordAtOnce) {
    const auto slot = Slot(news_, after_);
    RecordThread thread(slot);
    HandOver(thread, slot);
    const platform::DWORD second = NewViewer(thread, slot);
    ASSERT_NE(second, 0u);
    // Its plug-in stays on another channel's programme (it cannot tune the reserved one).
    const auto other = Add(L"さくら通販", Today(20, 0), 120, 1, 3, scheduler_test::kSakura);
    FakePlugin secondPlugin(second);
    secondPlugin.PublishEvent(EventInfo(Read(other), Read(other)));
    ASSERT_TRUE(CycleAt(thread, next_, -11));
    ExpectAskedToRecord(secondPlugin);
    EXPECT_FALSE(thread.Continuing());
    EXPECT_EQ(thread.Phase(), 1);
    ASSERT_TRUE(CycleAt(thread, next_, -4));
    EXPECT_EQ(thread.Phase(), 2);
    // The viewer the hand-over closed is no failure.
    EXPECT_EQ(DebugCount("has gone"), 0);
}

// On a busy machine the new viewer's plug-in is up (its window published) some seconds before
// the stream has brought it the programme it tells of: the start goes out at r <= 1 s all the
// same, instead of only once the record comes, after the programme has begun.
TEST_F(ChainedHandOverTest, APlugInThatHasNotToldItsProgrammeYetIsAskedToRecordAtItsTime) {
    const auto slot = Slot(news_, after_);
    RecordThread thread(slot);
    HandOver(thread, slot);
    const platform::DWORD second = NewViewer(thread, slot);
    ASSERT_NE(second, 0u);
    FakePlugin secondPlugin(second);  // its window, no programme record yet
    ASSERT_TRUE(CycleAt(thread, next_, -11));
    ExpectAskedToRecord(secondPlugin);
    EXPECT_EQ(thread.Phase(), 1);
    EXPECT_EQ(Read(after_).follow, 1);
    EXPECT_EQ(Read(after_).resultText, L"");
}

TEST_F(ChainedHandOverTest, ANewViewerThatCannotStartEndsTheSlotWithItsNote) {
    const auto slot = Slot(news_, after_);
    RecordThread thread(slot);
    HandOver(thread, slot);
    // The viewer program is gone: no viewer comes up, and the start goes out to none.
    std::filesystem::remove(platform::ToNativePath(viewer_.Path()));
    EXPECT_EQ(NewViewer(thread, slot), 0u);
    EXPECT_EQ(thread.Phase(), 1);
    EXPECT_FALSE(thread.Continuing());
    EXPECT_EQ(DebugCount("record thread: the viewer could not be started, ID " +
                         std::to_string(Read(after_).id) + " "),
              1);
    // The recording phase finds no viewer, long before the end: the slot ends.
    EXPECT_FALSE(CycleAt(thread, next_, -11));
    ASSERT_TRUE(main_.WaitFor(WM_RECORDING_ENDED));
    EXPECT_EQ(Read(after_).resultText, L"録画中に終了された可能性があります ");
    EXPECT_EQ(Read(after_).assigned, 0);
}

TEST_F(FollowModeTest, AViewerThatDiesInTheFinalMinuteIsForgottenAndReplaced) {
    const platform::SYSTEMTIME start = Today(20, 0);
    const auto before = Add(L"みなと天気", Today(19, 30), 30, 1);
    const auto news = Add(L"みなと夜のニュース", start, 30, 1);
    const auto slot = Slot(news);
    RecordThread thread(slot);
    const auto plugin = FollowFinalMinute(thread, slot);
    const platform::DWORD first = ViewerOf(slot);
    platform::TerminateProcess(first, 1);
    ASSERT_EQ(platform::WaitForProcess(first, timer_core_test::kProcessEndMs),
              platform::WAIT_OBJECT_0);
    // Reaped by the layer: no zombie stays behind.
    EXPECT_TRUE(
        WaitUntil([&] { return !std::filesystem::exists("/proc/" + std::to_string(first)); }));
    // The next cycle finds it gone, forgets it and starts another on the same device.
    ASSERT_TRUE(CycleAt(thread, start, -50));
    EXPECT_EQ(thread.Period(), 7000u);
    const platform::DWORD second = ViewerOf(slot);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_TRUE(IsViewer(second));
    EXPECT_TRUE(Runs().back().Has("-o", "0"));
    EXPECT_EQ(main_.Entries().size(), 0u);
    EXPECT_EQ(DebugCount("record thread: viewer " + std::to_string(first) + " has gone, ID "), 1);
}

TEST_F(FollowModeTest, WithoutAViewerPathOrPastTheSixHoursTheThreadEndsAtItsStart) {
    const auto news = Add(L"みなと夜のニュース", Today(20, 0), 30, 1);
    const auto after = Add(L"みなと深夜便", Today(20, 30), 30, 1);
    Set(L"FriioViewPath", L"");
    {
        RecordThread thread(Slot(news, after));
        EXPECT_FALSE(thread.Begin());
    }
    EXPECT_EQ(Read(news).resultText, L"FriioViewのパスが設定されていません ");
    EXPECT_EQ(Read(news).assigned, 0);
    EXPECT_EQ(Read(after).assigned, 0);
    ASSERT_TRUE(main_.WaitFor(WM_RESERVATION_UPDATED));
    EXPECT_TRUE(Runs().empty());

    Set(L"FriioViewPath", viewer_.Path());
    const auto late = Add(L"さくら映画館", Today(20, 0), 30, 1);
    {
        const std::lock_guard lock(manager_.DataLock());
        late->resultText = L"開始時間が変わりました(予約時 2026/12/04 13:59) ";
    }
    {
        RecordThread thread(Slot(late));
        EXPECT_FALSE(thread.Begin());
    }
    EXPECT_EQ(Read(late).resultText,
              L"開始時間が変わりました(予約時 2026/12/04 13:59) "
              L"6時間以上みつからなかったので中止します ");
    EXPECT_EQ(Read(late).assigned, 0);
    ASSERT_TRUE(main_.WaitFor(WM_RESERVATION_UPDATED, 2));
    const std::lock_guard lock(manager_.DataLock());
    EXPECT_EQ(manager_.Reservations().FirstAfter(L"202612041958")->id, late->id);
}

}  // namespace
}  // namespace record_thread_test
