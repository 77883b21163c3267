// The record thread's recording phase, once the prepared start has passed: it watches the
// viewer, follows a change of the programme's length in follow mode, ends the recording (earlier
// when a chained reservation on the same device takes over) and hands the slot over.
#include <algorithm>

#include "platform/process_snapshot.h"
#include "shared/plugin_posts.h"
#include "shared/shared_memory_readers.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/record_failure_log.h"
#include "timer_core/recording/record_request.h"
#include "timer_core/recording/record_thread.h"
#include "timer_core/recording/reservation_notes.h"
#include "timer_core/scheduling/reserve_time.h"

namespace timer_core {
namespace {

constexpr platform::DWORD kRecordingPeriodMs = 10000;
constexpr platform::DWORD kLastMinutePeriodMs = 1000;
constexpr platform::DWORD kHandOverPeriodMs = 1000;
constexpr TimeSpan kLastMinute = 60 * kSpanSecond;
// A viewer gone earlier than this before the end means the recording was cut short.
constexpr TimeSpan kLostBeforeEnd = 120 * kSpanSecond;
// The hand-over to a chained reservation leaves this much to the viewer's change.
constexpr int kHandOverSeconds = 20;

TimeSpan SpanOf(const platform::SYSTEMTIME& time) {
    return static_cast<TimeSpan>(LocalFileTime(time));
}

std::int64_t OwnSeconds(const ReserveEntry& reserve) {
    return std::int64_t{reserve.durationMinutes} * 60 + reserve.durationSeconds;
}

bool CurrentWins(const ReserveEntry& current, const ReserveEntry& chained,
                 const TimerSettings& settings) {
    return current.priority > chained.priority ||
           (current.priority == chained.priority && settings.RecPriority != 1);
}

}  // namespace

bool RecordThread::Recording(const SlotView& view, const CycleClock& clock) {
    if (phase_ == 0 && !StartRecording(view, clock)) return false;  // the final minute was missed
    continuing_ = false;
    phase_ = 2;
    period_ = kRecordingPeriodMs;
    const TimeSpan start = SpanOf(view.reserve.start);
    const std::int64_t own = OwnSeconds(view.reserve);
    const std::int64_t length = plannedSeconds_ != 0 ? plannedSeconds_ : own;
    TimeSpan end = start + length * kSpanSecond;
    if (view.chained) end = HandOverEnd(view, end);

    if (!IsFriioViewPid(viewer_) && end - clock.now > kLostBeforeEnd) {
        return ViewerLost(view);
    }
    if (clock.now > end + view.settings.EndSeconds() * kSpanSecond) return FinishRecording(view);
    if (view.chained) plannedSeconds_ = LengthBeforeChained(view, own);
    if (end - clock.now <= kLastMinute) period_ = kLastMinutePeriodMs;
    return FollowLength(view);
}

// The end moved ahead for a chained reservation that follows on without a gap: the viewer's
// change takes 20 s, and StartSec more when the chained programme wins.
TimeSpan RecordThread::HandOverEnd(const SlotView& view, TimeSpan end) const {
    const TimerSettings& settings = view.settings;
    const TimeSpan ownEnd = SpanOf(view.reserve.start) + OwnSeconds(view.reserve) * kSpanSecond;
    const TimeSpan chainedStart = SpanOf(view.next.start);
    const TimeSpan startSec = settings.StartSeconds() * kSpanSecond;
    if (ownEnd < chainedStart && ownEnd - startSec < chainedStart) return end;
    end -= settings.EndSeconds() * kSpanSecond;
    const TimeSpan handOver = kHandOverSeconds * kSpanSecond;
    if (view.reserve.priority == view.next.priority) {
        end -= settings.RecPriority == 1 ? startSec + handOver : handOver;
    } else if (view.reserve.priority < view.next.priority) {
        end -= startSec + handOver;
    }
    return end;
}

// The seconds the current reservation records before a chained one: its own length, cut at the
// chained start when both overlap and the chained reservation wins.
std::int64_t RecordThread::LengthBeforeChained(const SlotView& view,
                                               std::int64_t ownSeconds) const {
    const TimeSpan start = SpanOf(view.reserve.start);
    const TimeSpan chainedStart = SpanOf(view.next.start);
    if (start + ownSeconds * kSpanSecond < chainedStart) return ownSeconds;
    if (CurrentWins(view.reserve, view.next, view.settings)) return ownSeconds;
    return (chainedStart - start) / kSpanSecond;
}

bool RecordThread::ViewerLost(const SlotView& view) {
    ReportFailure(L"viewer " + std::to_wstring(viewer_) + L" ended during the recording",
                  view.reserve);
    rec_.CloseAll();
    Change(view, [&] {
        AppendNote(view.current->resultText, kNoteViewerLost);
        DropAssignments(view);
        Post(WM_RECORDING_ENDED);
    });
    return false;
}

bool RecordThread::FinishRecording(const SlotView& view) {
    if (view.reserve.follow != 0) {
        // The viewer's own end; the plug-in is told nothing more.
        CloseViewer(viewer_);
        rec_.CloseAll();
    } else if (IsFriioViewPid(viewer_)) {
        CloseViewer(viewer_);
    }
    const std::int64_t planned = plannedSeconds_;
    // Only a file that grew is a recording: a viewer that hung, was killed or never began
    // leaves the slot with the note of a recording cut short.
    const bool recorded = file_.HoldsRecording();
    if (!recorded)
        ReportFailure(L"the recording holds nothing (" + file_.Path() + L")", view.reserve);
    if (!Change(view, [&] {
            ReserveEntry& current = *view.current;
            AppendNote(current.resultText, recorded ? kNoteRecorded : kNoteViewerLost);
            current.assigned = 0;
            if (planned != 0) {
                // In fixed mode this length has the margins' minutes in it.
                current.durationMinutes = static_cast<std::uint32_t>(planned / 60);
                current.durationSeconds = static_cast<std::uint32_t>(planned % 60);
            }
        })) {
        return false;
    }
    TerminateViewer(viewer_, &slot_->stopEvent);
    closedViewer_ = viewer_;
    launcher_.SaveWindowPos();
    bool chained = false;
    if (!Change(view, [&] {
            if (slot_->chainedFlag != 1 || !slot_->chainedReserve) return;
            slot_->currentReserve = std::move(slot_->chainedReserve);
            slot_->chainedReserve.reset();
            slot_->chainedFlag = 0;
            chained = true;
        })) {
        return false;
    }
    if (!chained) {
        PostUnlessStopped(WM_RECORDING_ENDED);
        return false;
    }
    period_ = kHandOverPeriodMs;
    continuing_ = true;
    manager_->AutoDeleteForSpace();
    PostUnlessStopped(WM_RECORDING_CHAINED);
    return true;
}

bool RecordThread::FollowLength(const SlotView& view) {
    if (view.reserve.follow == 0) return true;
    shared::PluginEventInfo event;
    if (!shared::ReadPluginEvent(viewer_, &event)) return true;
    const ReserveEntry& reserve = view.reserve;
    // Event ids are a service's own: a record of another service tells nothing of this one.
    if (event.eventId != reserve.eventId || event.serviceId != reserve.serviceId) return true;
    const std::int64_t present = std::int64_t{event.durationMinutes} * 60 + event.durationSeconds;
    const std::int64_t own = OwnSeconds(reserve);
    if (present != own) {
        const std::int64_t length =
            view.chained ? LengthBeforeChained(view, present) : std::max(present, own);
        if (length != plannedSeconds_) {
            ReserveEntry changed = reserve;
            changed.durationMinutes = static_cast<std::uint32_t>(length / 60);
            changed.durationSeconds = static_cast<std::uint32_t>(length % 60);
            if (!Change(view, [&] {
                    view.current->durationMinutes = changed.durationMinutes;
                    view.current->durationSeconds = changed.durationSeconds;
                })) {
                return false;
            }
            plannedSeconds_ = length;
            shared::RecordRequest request;
            BuildRecordRequest(&changed, &request, *manager_, device_);
            request.noErrLog = static_cast<std::uint32_t>(view.settings.NoErrLog);
            // The plug-in makes the viewer's planned length minutes x 60 + margin - 5 seconds
            // from the start of the recording: the margin covers the time from that start to
            // the reservation's, which the minutes count from, and EndSec.
            request.marginSeconds = FollowMarginSeconds(leadSeconds_, view.settings.EndSeconds());
            rec_.WriteRec(request, viewer_);
            shared::PostPluginUpdateRecLength(viewer_, request.minutes, request.marginSeconds);
            PostUnlessStopped(WM_RESERVATION_UPDATED);
        }
    }
    if (view.chained && view.next.channelValue == reserve.channelValue && view.next.follow != 0 &&
        view.next.eventId == event.nextEventId &&
        SpanOf(view.next.start) != SpanOf(event.nextStart)) {
        return Change(view, [&] {
            if (slot_->chainedReserve != view.chained) return;
            view.chained->start = event.nextStart;
            view.chained->durationMinutes = static_cast<std::uint32_t>(event.nextDurationMinutes);
        });
    }
    return true;
}

}  // namespace timer_core
