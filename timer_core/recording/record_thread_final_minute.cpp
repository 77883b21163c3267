// The record thread's final minute before the prepared start: the slot's viewer is checked,
// started (follow mode) or cleared away (fixed mode), the plug-in is kept tuned to the programme
// and its information followed, and at r <= 1 s the recording is started.
#include "platform/process.h"
#include "platform/process_snapshot.h"
#include "shared/plugin_posts.h"
#include "shared/shared_memory_readers.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/record_failure_log.h"
#include "timer_core/recording/record_request.h"
#include "timer_core/recording/record_thread.h"
#include "timer_core/recording/reservation_notes.h"
#include "timer_core/recording/slot_recording_start.h"
#include "timer_core/scheduling/reserve_time.h"

namespace timer_core {
namespace {

constexpr platform::DWORD kPollPeriodMs = 1000;
constexpr platform::DWORD kAfterStartPeriodMs = 7000;
constexpr platform::DWORD kAfterClosePeriodMs = 3000;
constexpr platform::DWORD kBetweenPostsMs = 100;
constexpr TimeSpan kStartAt = kSpanSecond;
// A viewer that is to go this long before the start is given its time to close.
constexpr TimeSpan kCloseGently = 10 * kSpanSecond;
// Polls of an unreadable programme event record after which follow mode is given up.
constexpr int kUnreadableEventLimit = 30;
// The plug-in's capture status while it collects EPG data.
constexpr std::int32_t kCapturing = 1;

TimeSpan SpanOf(const platform::SYSTEMTIME& time) {
    return static_cast<TimeSpan>(LocalFileTime(time));
}

}  // namespace

bool RecordThread::FinalMinute(const SlotView& view, const CycleClock& clock) {
    if (!CheckViewer(view)) return false;
    if (!deviceChosen_ && !ChooseDevice(view, false)) return false;
    return view.reserve.follow != 0 ? FollowFinalMinute(view, clock)
                                    : FixedFinalMinute(view, clock);
}

bool RecordThread::CheckViewer(const SlotView& view) {
    {
        const auto devices = LockDevicesUnlessStopped(*manager_, slot_->stopEvent);
        if (!devices) return false;
        if (viewer_ == 0) {
            platform::DWORD orphan = 0;
            if (manager_->FindFreeViewer(TunerKindFor(view.reserve), &orphan)) CloseViewer(orphan);
        } else if (device_ == RecThreadSlot::kNoDevice) {
            // A viewer without a device of the slot is closed; the slot no longer has it.
            CloseViewer(viewer_);
            if (!SetViewer(view, 0)) return false;
        } else if (!IsFriioViewPid(viewer_)) {
            if (viewer_ != closedViewer_)
                ReportFailure(L"viewer " + std::to_wstring(viewer_) + L" has gone", view.reserve);
            if (!SetViewer(view, 0)) return false;
        } else {
            std::int32_t status = 0;
            if (shared::ReadPluginStatus(viewer_, &status) && status == kCapturing)
                shared::PostPluginCancelCapture(viewer_);
        }
    }
    if (viewer_ != 0 && shared::IsPluginWindowHung(viewer_)) {
        ReportFailure(L"the plug-in window of viewer " + std::to_wstring(viewer_) +
                          L" does not answer; the viewer is ended",
                      view.reserve);
        platform::TerminateProcess(viewer_, static_cast<platform::UINT>(-1));
        if (!SetViewer(view, 0)) return false;
    }
    return !slot_->StopRequested();
}

bool RecordThread::FollowFinalMinute(const SlotView& view, const CycleClock& clock) {
    // The recording is asked for at r <= 1 s, whatever the plug-in tells: 0x43D tunes the
    // reserved service itself, and a recording that then holds nothing ends the slot with its
    // note. Only two waits: a viewer started in this cycle is given its period to come up, and a
    // plug-in without its window yet is waited for, as a start it cannot be asked for would be
    // lost. A plug-in that has not yet published its programme record (it takes a few seconds of
    // the stream after a hand-over) can take the start all the same.
    bool askNow = true;
    if (viewer_ == 0) {
        period_ = kAfterStartPeriodMs;
        unreadableEvents_ = 0;
        const auto devices = LockDevicesUnlessStopped(*manager_, slot_->stopEvent);
        if (!devices) return false;
        platform::DWORD pid = 0;
        launcher_.StartOnChannel(static_cast<std::uint32_t>(view.reserve.channelValue), device_,
                                 &pid);
        if (!SetViewer(view, pid)) return false;
        if (pid == 0) {
            ReportFailure(L"the viewer could not be started", view.reserve);
        } else {
            askNow = false;
        }
    } else {
        period_ = kPollPeriodMs;
        rec_.WriteRec(BuildFinalMinuteRequest(view.reserve, view.settings, device_), viewer_);
        shared::PluginEventInfo event;
        if (shared::ReadPluginEvent(viewer_, &event)) {
            if (FollowEvent(view, clock, event) == EventStep::kLeave) return false;
        } else if (unreadableEvents_ >= kUnreadableEventLimit) {
            return FollowOffAfterUnreadablePolls(view);
        } else {
            ++unreadableEvents_;
            platform::HWND pluginWindow = 0;
            askNow = shared::ReadPluginPostHwnd(viewer_, &pluginWindow) == 1 && pluginWindow != 0;
        }
    }
    if (askNow && clock.r <= kStartAt && phase_ != 1) return StartRecording(view, clock);
    return true;
}

bool RecordThread::FollowOffAfterUnreadablePolls(const SlotView& view) {
    if (++unreadableEvents_ <= kUnreadableEventLimit) return true;
    unreadableEvents_ = 0;
    ReportFailure(L"the plug-in's programme record could not be read " +
                      std::to_wstring(kUnreadableEventLimit + 1) + L" times; follow mode off",
                  view.reserve);
    return Change(view, [&] {
        AppendNote(view.current->resultText, kNoteFollowOff);
        view.current->follow = 0;
        Post(WM_RESERVATION_UPDATED);
    });
}

RecordThread::EventStep RecordThread::FollowEvent(const SlotView& view, const CycleClock& clock,
                                                  const shared::PluginEventInfo& event) {
    const ReserveEntry& reserve = view.reserve;
    const auto channel = static_cast<std::uint32_t>(reserve.channelValue);
    if (Pause(kBetweenPostsMs)) return EventStep::kLeave;
    shared::PostPluginSetChannel(viewer_, channel, reserve.serviceId);
    unreadableEvents_ = 0;
    if (event.channel != channel || event.serviceId != reserve.serviceId) {
        if (Pause(kBetweenPostsMs)) return EventStep::kLeave;
        shared::PostPluginSetChannel(viewer_, channel, reserve.serviceId);
        // The record tells of another service's programmes, whose event ids say nothing of
        // this one: the comparisons wait for the plug-in to have tuned.
        return EventStep::kOtherService;
    }
    if (event.nextEventId == reserve.eventId) {
        if (SpanOf(event.nextStart) == SpanOf(reserve.start)) return EventStep::kFollowed;
        MoveStart(view, clock, event, false);
        return EventStep::kLeave;
    }
    if (event.eventId == reserve.eventId) {
        return OnAirStart(view, clock, event) ? EventStep::kFollowed : EventStep::kLeave;
    }
    MoveStart(view, clock, event, true);
    return EventStep::kLeave;
}

bool RecordThread::FixedFinalMinute(const SlotView& view, const CycleClock& clock) {
    period_ = kPollPeriodMs;
    if (viewer_ != 0) {
        if (clock.r > kCloseGently) {
            CloseViewer(viewer_);
            period_ = kAfterClosePeriodMs;
        } else {
            platform::TerminateProcess(viewer_, static_cast<platform::UINT>(-1));
        }
        if (!SetViewer(view, 0)) return false;
    }
    if (clock.r <= kStartAt && phase_ != 1) {
        launcher_.SetPath(view.settings.FriioViewPath);
        return StartRecording(view, clock);
    }
    return true;
}

bool RecordThread::StartRecording(const SlotView& view, const CycleClock& clock) {
    period_ = kAfterStartPeriodMs;
    int minutes = 0;
    leadSeconds_ = CeilSeconds(SpanOf(view.reserve.start) - clock.now);
    file_.Begin(RecordingName(view), view.reserve.follow != 0);
    StartSlotRecording(&minutes, *manager_, slot_.get(), rec_, leadSeconds_);
    {
        // A recording without the plug-in runs in a viewer the start made the slot's.
        const std::lock_guard lock(manager_->DataLock());
        viewer_ = slot_->viewerProcessId;
    }
    plannedSeconds_ = std::int64_t{minutes} * 60;
    continuing_ = false;
    unreadableEvents_ = 0;
    phase_ = 1;
    return !slot_->StopRequested();
}

std::wstring RecordThread::RecordingName(const SlotView& view) const {
    if (view.reserve.follow == 0)
        return RecordingFileName(view.reserve, view.settings.NameManual, device_);
    shared::RecordRequest request;
    BuildRecordRequest(&view.reserve, &request, *manager_, device_);
    return shared::RecordFileName(request);
}

}  // namespace timer_core
