// RecordThreadProc: the thread's start, its cycle and its exit path, and the helpers every phase
// uses. The phases live in record_thread_*.cpp.
#include "timer_core/recording/record_thread.h"

#include <cwchar>

#include "platform/debug_output.h"
#include "platform/window_messages.h"
#include "shared/shared_memory_readers.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/friio_view_windows.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/record_failure_log.h"
#include "timer_core/recording/record_request.h"
#include "timer_core/recording/reservation_notes.h"
#include "timer_core/recording/stoppable_sleep.h"
#include "timer_core/scheduling/reserve_time.h"

namespace timer_core {
namespace {

// Before the thread gives up for want of a viewer path.
constexpr platform::DWORD kNoPathPauseMs = 500;
constexpr TimeSpan kLastMinute = 60 * kSpanSecond;

}  // namespace

platform::DWORD RecordThreadProc(const std::shared_ptr<RecThreadSlot>& slot) {
    RecordThread thread(slot);
    return thread.Run();
}

CycleClock ComputeCycleClock(TimeSpan start, TimeSpan now, std::optional<int> offsetSeconds,
                             int startSec, bool continuing) {
    const TimeSpan d = start - now;
    CycleClock clock;
    TimeSpan offset = 0;
    if (offsetSeconds) {
        const TimeSpan o = TimeSpan{*offsetSeconds} * kSpanSecond;
        if (d - o <= kLastMinute || continuing) {
            offset = o;
            clock.offsetApplied = true;
        }
    }
    clock.now = now + offset;
    clock.r = d - offset - TimeSpan{startSec + kStartLeadSeconds} * kSpanSecond;
    return clock;
}

RecordThread::RecordThread(std::shared_ptr<RecThreadSlot> slot)
    : slot_(std::move(slot)), manager_(slot_->owner) {
    const std::lock_guard lock(manager_->DataLock());
    viewer_ = slot_->viewerProcessId;
    device_ = slot_->deviceIndex;
    deviceChosen_ = device_ != RecThreadSlot::kNoDevice;
}

platform::DWORD RecordThread::Run() {
    if (!Begin()) return 0;
    while (Cycle()) {
        if (platform::WaitForSingleObject(slot_->stopEvent, period_) != platform::WAIT_TIMEOUT)
            break;
    }
    Leave();
    return 0;
}

bool RecordThread::Begin() {
    const TimerSettings settings = manager_->Settings();
    launcher_.SetPath(settings.FriioViewPath);
    launcher_.SetStopEvent(slot_->stopEvent);
    launcher_.LoadWindowPos();
    const auto view = View();
    if (!view) return false;
    if (settings.FriioViewPath.empty()) {
        ReportFailure(L"no viewer path is set", view->reserve);
        if (Pause(kNoPathPauseMs)) return false;
        Change(*view, [&] {
            DropAssignments(*view);
            AppendNote(view->current->resultText, kNoteNoViewerPath);
            Post(WM_RESERVATION_UPDATED);
        });
        return false;
    }
    if (CheckFollowLimit(view->reserve.resultText, view->reserve.start) == 1) {
        ReportFailure(L"not found on air for six hours; given up", view->reserve);
        Change(*view, [&] {
            DropAssignments(*view);
            AppendNote(view->current->resultText, kNoteFollowLimit);
            manager_->RekeyReserve(view->current.get());
            Post(WM_RESERVATION_UPDATED);
        });
        return false;
    }
    return true;
}

bool RecordThread::Cycle() {
    const auto view = View();
    if (!view) return false;
    const CycleClock clock = ClockOf(*view);
    if (clock.r > 0 || continuing_) return Waiting(*view, clock);
    return Recording(*view, clock);
}

void RecordThread::Leave() {
    if (viewer_ != 0) {
        TerminateViewer(viewer_, &slot_->stopEvent);
        launcher_.SaveWindowPos();
    }
    rec_.CloseAll();
}

std::optional<RecordThread::SlotView> RecordThread::View() const {
    const std::lock_guard lock(manager_->DataLock());
    if (slot_->StopRequested() || !slot_->currentReserve) return std::nullopt;
    SlotView view;
    view.current = slot_->currentReserve;
    view.reserve = *slot_->currentReserve;
    if (slot_->chainedFlag == 1 && slot_->chainedReserve) {
        view.chained = slot_->chainedReserve;
        view.next = *slot_->chainedReserve;
    }
    view.settings = manager_->Settings();
    return view;
}

void RecordThread::Post(platform::UINT message) const {
    platform::PostMessageW(manager_->MainWindow(), message, 0, 0);
}

void RecordThread::PostUnlessStopped(platform::UINT message) const {
    const std::lock_guard lock(manager_->DataLock());
    if (!slot_->StopRequested()) Post(message);
}

bool RecordThread::Pause(platform::DWORD ms) const {
    return SleepUnlessStopped(ms, &slot_->stopEvent);
}

bool RecordThread::SetViewer(const SlotView& view, platform::DWORD pid) {
    if (!Change(view, [&] { slot_->viewerProcessId = pid; })) return false;
    viewer_ = pid;
    return true;
}

void RecordThread::CloseViewer(platform::DWORD pid) const {
    CloseFriioViewWindow(pid, &slot_->stopEvent);
    TerminateViewer(pid, &slot_->stopEvent);
}

void RecordThread::DropAssignments(const SlotView& view) const {
    view.current->assigned = 0;
    if (slot_->chainedFlag == 1 && slot_->chainedReserve) slot_->chainedReserve->assigned = 0;
}

CycleClock RecordThread::ClockOf(const SlotView& view) const {
    std::optional<int> offset;
    std::int32_t seconds = 0;
    if (viewer_ != 0 && view.reserve.follow != 0 && shared::ReadPluginTime(viewer_, &seconds))
        offset = seconds;
    const CycleClock clock =
        ComputeCycleClock(static_cast<TimeSpan>(LocalFileTime(view.reserve.start)),
                          static_cast<TimeSpan>(LocalNowFileTime()), offset,
                          view.settings.StartSeconds(), continuing_);
    if (clock.offsetApplied) {
        wchar_t line[32];
        std::swprintf(line, 32, L"delay %d", *offset);
        platform::OutputDebugStringW(line);
    }
    return clock;
}

}  // namespace timer_core
