// COrvandelDlg: the scheduler's tick, standby and hibernation (commands and the action after a
// recording or an EPG acquisition), the suspend query and the notice of resume.
#include "platform/clock.h"
#include "platform/power.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/sleep_wait_dlg.h"

namespace timer_ui {
namespace {

constexpr std::int32_t kRecEndNone = 0;
constexpr std::int32_t kRecEndStandby = 1;
constexpr std::int32_t kRecEndHibernate = 2;

}  // namespace

void COrvandelDlg::Tick(int mode) {
    timerManager_->Tick(mode);
    // A tick may bring a recording near or take it away.
    AnswerSuspendQuery();
}

void COrvandelDlg::CheckEpgAcquisition() {
    timerManager_->CheckEpgAcquisition();
}

LRESULT COrvandelDlg::AnswerSuspendQuery() {
    const LRESULT answer =
        timerManager_->SetNextWakeUp() == 0 ? platform::BROADCAST_QUERY_DENY : ui::TRUE;
    if (suspendAnswer_) suspendAnswer_->Answer(answer);
    return answer;
}

bool COrvandelDlg::BlockingSleep() const {
    return suspendAnswer_ && suspendAnswer_->Blocking();
}

void COrvandelDlg::StartSuspendAnswer() {
    suspendAnswer_ = std::make_unique<platform::SuspendQueryAnswer>(
        L"Orvandel", L"予約録画かEPGデータの取得が近いため");
    SetTimer(kSuspendAnswerTimer, kSuspendAnswerMs);
}

// --- after a recording or an EPG acquisition ------------------------------------------------

void COrvandelDlg::AfterRecordingAction(bool guarded) {
    if (recEnd_ == kRecEndNone) {
        platform::Sleep(kRecordThreadPauseMs);
        return;
    }
    if (timerManager_->SetNextWakeUp() != 1) return;
    if (!guarded) {
        RunCountdown();
        return;
    }
    // Several record threads that end together give one countdown: an action within 20 s of
    // the end of the last one (shown or skipped) is skipped. Before the first there is none.
    const platform::DWORD now = platform::GetTickCount();
    if (!lastActionTick_ || now - *lastActionTick_ > kActionGuardMs) {
        lastActionTick_ = now;
        RunCountdown();
    }
    lastActionTick_ = platform::GetTickCount();
}

void COrvandelDlg::RunCountdown() {
    CSleepWaitDlg countdown;
    if (countdown.DoModal(GetSafeHwnd()) == ui::IDCANCEL) return;
    if (recEnd_ == kRecEndStandby) {
        OnBnClickedStandby();
    } else if (recEnd_ == kRecEndHibernate) {
        OnBnClickedHibernate();
    }
}

// --- the commands -----------------------------------------------------------------------------

void COrvandelDlg::OnBnClickedStandby() {
    EnterSleep(true);
}

void COrvandelDlg::OnBnClickedHibernate() {
    EnterSleep(false);
}

void COrvandelDlg::EnterSleep(bool standby) {
    if (timerManager_->SetNextWakeUp() == 0) {
        messageBox_.Show(standby ? texts::kStandbyRefused : texts::kHibernateRefused);
        return;
    }
    // The window's own lock must not refuse its own request.
    if (suspendAnswer_) suspendAnswer_->Answer(ui::TRUE);
    // Returns once the machine has woken up again.
    platform::EnterSleepState(standby ? ui::TRUE : ui::FALSE);
    Tick(0);
}

// --- resume -------------------------------------------------------------------------------------

void COrvandelDlg::OnPowerResume() {
    Tick(0);
    CheckEpgAcquisition();
    AnswerSuspendQuery();
}

void COrvandelDlg::StartResumeListener() {
    if (resumeListener_ != 0) return;
    const platform::HWND window = GetSafeHwnd();
    // Runs on a thread of the power layer: it only posts, as Windows would broadcast.
    resumeListener_ = platform::AddResumeListener([window] {
        platform::PostMessageW(window, platform::WM_POWERBROADCAST, platform::PBT_APMRESUMESUSPEND,
                               0);
    });
}

void COrvandelDlg::StopResumeListener() {
    if (resumeListener_ == 0) return;
    platform::RemoveResumeListener(resumeListener_);
    resumeListener_ = 0;
}

}  // namespace timer_ui
