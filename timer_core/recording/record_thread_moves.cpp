// Follow mode in the final minute, when the broadcaster's programme information disagrees with
// the reservation: the programme starts elsewhere (start move), is not in sight yet
// (postponement), or is already on air.
#include <algorithm>

#include "shared/plugin_posts.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/record_request.h"
#include "timer_core/recording/record_thread.h"
#include "timer_core/recording/reservation_notes.h"
#include "timer_core/scheduling/reserve_time.h"

namespace timer_core {
namespace {

constexpr TimeSpan kMinute = 60 * kSpanSecond;
// A moved start further ahead than this needs no viewer now.
constexpr TimeSpan kKeepViewer = kMinute;
// A moved start further ahead than this is planned again by the regular scheduler tick.
constexpr TimeSpan kRescheduleSoon = 8 * kMinute;
constexpr platform::DWORD kBetweenPostsMs = 100;
constexpr platform::DWORD kBeforeGivingBackMs = 1000;
constexpr platform::DWORD kOnAirPeriodMs = 7000;

TimeSpan SpanOf(const platform::SYSTEMTIME& time) {
    return static_cast<TimeSpan>(LocalFileTime(time));
}

platform::SYSTEMTIME TimeOf(TimeSpan span) {
    return LocalSystemTime(static_cast<std::uint64_t>(span));
}

TimeSpan MinutesSpan(std::int64_t minutes) {
    return minutes * kMinute;
}

bool SameFollowedChannel(const ReserveEntry& chained, const ReserveEntry& current) {
    return chained.channelValue == current.channelValue && chained.follow != 0;
}

}  // namespace

void RecordThread::MoveStart(const SlotView& view, const CycleClock& clock,
                             const shared::PluginEventInfo& event, bool postpone) {
    const TimeSpan following = SpanOf(event.nextStart);
    const TimeSpan newStart =
        postpone ? following + MinutesSpan(event.nextDurationMinutes) : following;
    const platform::SYSTEMTIME planned = view.reserve.start;
    bool givenUp = false;
    const bool changed = Change(view, [&] {
        ReserveEntry& current = *view.current;
        if (CheckFollowLimit(current.resultText, TimeOf(newStart)) == 1) {
            givenUp = true;
            current.resultText += std::wstring(kNoteFollowLimit) + L" ";
            DropAssignments(view);
        } else {
            const bool startChanged = SpanOf(current.start) != newStart;
            current.start = TimeOf(newStart);
            if (postpone) {
                current.postponed = 1;
            } else {
                current.durationMinutes = static_cast<std::uint32_t>(event.nextDurationMinutes);
                current.postponed = 0;
            }
            if (startChanged) AppendStartChangedNote(current.resultText, planned);
            manager_->Reservations().RekeyById(current.id);
            AdjustChainedToMove(current, postpone, startChanged);
            if (slot_->chainedReserve) slot_->chainedReserve->assigned = 0;
            current.assigned = 0;
        }
        // The slot lets go of both reservations; it only ends now.
        slot_->chainedFlag = 0;
        slot_->chainedReserve.reset();
        slot_->currentReserve.reset();
    });
    if (!changed) return;
    if (givenUp || newStart - clock.now > kKeepViewer) {
        shared::PostPluginStopRec(viewer_);
        if (Pause(kBetweenPostsMs)) return;
        shared::PostPluginCloseViewer(viewer_);
        TerminateViewer(viewer_, &slot_->stopEvent);
    }
    if (givenUp) {
        PostUnlessStopped(WM_RESERVATION_UPDATED);
        PostUnlessStopped(WM_RECORDING_ENDED);
        return;
    }
    if (Pause(kBeforeGivingBackMs)) return;
    PostUnlessStopped(newStart - clock.now > kRescheduleSoon ? WM_RECORDING_ENDED : WM_RESCHEDULE);
}

// Under the data lock: a chained reservation of the same channel in follow mode keeps behind
// the moved one. The chain is released afterwards.
void RecordThread::AdjustChainedToMove(const ReserveEntry& moved, bool postpone,
                                       bool startChanged) const {
    if (slot_->chainedFlag != 1 || !slot_->chainedReserve) return;
    ReserveEntry& chained = *slot_->chainedReserve;
    if (!SameFollowedChannel(chained, moved)) return;
    const TimeSpan movedEnd = SpanOf(moved.start) + MinutesSpan(moved.durationMinutes);
    if (postpone) {
        chained.start = TimeOf(movedEnd);
        manager_->Reservations().RekeyById(chained.id);
        if (startChanged) AppendStartChangedNote(chained.resultText, chained.start);
        return;
    }
    if (chained.serviceId != moved.serviceId || SpanOf(chained.start) >= movedEnd) return;
    const platform::SYSTEMTIME before = chained.start;
    chained.start = TimeOf(movedEnd);
    AppendStartChangedNote(chained.resultText, before);
    manager_->Reservations().RekeyById(chained.id);
}

bool RecordThread::OnAirStart(const SlotView& view, const CycleClock& clock,
                              const shared::PluginEventInfo& event) {
    period_ = kOnAirPeriodMs;
    const TimeSpan presentEnd = SpanOf(event.start) + MinutesSpan(event.durationMinutes);
    const auto left =
        static_cast<std::uint32_t>(std::max<TimeSpan>(0, (presentEnd - clock.now) / kMinute));
    std::uint32_t minutes = left;
    const bool changed = Change(view, [&] {
        ReserveEntry& current = *view.current;
        current.durationMinutes = left;
        AppendStartChangedNote(current.resultText, current.start);
        AdjustChainedToOnAir(current, event);
        if (slot_->chainedFlag == 1 && slot_->chainedReserve) {
            const ReserveEntry& chained = *slot_->chainedReserve;
            const TimeSpan chainedStart = SpanOf(chained.start);
            const TimeSpan currentStart = SpanOf(current.start);
            const bool currentWins =
                current.priority > chained.priority ||
                (current.priority == chained.priority && view.settings.RecPriority != 1);
            if (chainedStart <= currentStart + MinutesSpan(left) && !currentWins) {
                minutes = static_cast<std::uint32_t>(
                    std::max<TimeSpan>(0, (chainedStart - currentStart) / kMinute));
            }
        }
        Post(WM_RESERVATION_UPDATED);
    });
    if (!changed) return false;
    plannedSeconds_ = std::int64_t{minutes} * 60;
    ReserveEntry reserve = view.reserve;
    reserve.durationMinutes = left;
    shared::RecordRequest request = BuildFinalMinuteRequest(reserve, view.settings, device_);
    request.minutes = minutes;
    // The minutes count from now: the margin holds the seconds of the programme beyond them and
    // EndSec. A later length counts from the reservation's start, as ever.
    const std::int64_t beyond = CeilSeconds(presentEnd - clock.now) - std::int64_t{left} * 60;
    request.marginSeconds = FollowMarginSeconds(beyond, view.settings.EndSeconds());
    if (phase_ != 1) {
        leadSeconds_ = CeilSeconds(SpanOf(view.reserve.start) - clock.now);
        file_.Begin(shared::RecordFileName(request), true);
        phase_ = 1;  // asked for: not again at r <= 1 s
    }
    rec_.WriteRec(request, viewer_);
    manager_->AutoDeleteForSpace();
    if (Pause(kBetweenPostsMs)) return false;
    shared::PostPluginStartRec(viewer_, static_cast<std::uint32_t>(reserve.channelValue),
                               reserve.serviceId);
    if (view.settings.NoInfoLog == 0) {
        if (Pause(kBetweenPostsMs)) return false;
        shared::PostPluginRequestProgramText(viewer_);
    }
    continuing_ = false;
    return true;
}

// Under the data lock: a chained reservation of the same channel in follow mode starts with
// its programme, or at the latest when the one on air ends.
void RecordThread::AdjustChainedToOnAir(const ReserveEntry& current,
                                        const shared::PluginEventInfo& event) const {
    if (slot_->chainedFlag != 1 || !slot_->chainedReserve) return;
    ReserveEntry& chained = *slot_->chainedReserve;
    if (!SameFollowedChannel(chained, current)) return;
    const TimeSpan presentEnd = SpanOf(event.start) + MinutesSpan(event.durationMinutes);
    const platform::SYSTEMTIME before = chained.start;
    if (chained.eventId == event.nextEventId && SpanOf(chained.start) != SpanOf(event.nextStart)) {
        chained.start = event.nextStart;
    } else if (SpanOf(chained.start) < presentEnd) {
        chained.start = TimeOf(presentEnd);
    } else {
        return;
    }
    AppendStartChangedNote(chained.resultText, before);
    manager_->Reservations().RekeyById(chained.id);
}

}  // namespace timer_core
