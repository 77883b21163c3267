// COrvandelDlg: the window procedure (notification icon, second instance, record threads, EPG
// acquisition, power), the window's timers and the notification icon with its tip.
#include <mutex>

#include "platform/clock.h"
#include "platform/power.h"
#include "platform/suspend_query.h"
#include "platform/window_messages.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_ui/orvandel_dlg.h"
#include "ui/notify_icon.h"
#include "ui/popup_menu.h"

namespace timer_ui {
namespace {

// Menu 132 of the notification icon: its first (and only) submenu "メニュー".
ui::PopupMenu TrayMenu() {
    return ui::PopupMenu(
        {{COrvandelDlg::IDC_STANDBY, L"スタンバイ"}, {COrvandelDlg::IDC_HIBERNATE, L"休止"}});
}

}  // namespace

LRESULT COrvandelDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case platform::WM_POWERBROADCAST:
            if (wParam == platform::PBT_APMQUERYSUSPEND) {
                const LRESULT answer = AnswerSuspendQuery();
                if (answer == platform::BROADCAST_QUERY_DENY) return answer;
            } else if (wParam == platform::PBT_APMRESUMESUSPEND) {
                OnPowerResume();
            }
            break;
        case WM_TRAY_NOTIFY:
            OnTrayNotify(lParam);
            break;
        case timer_core::WM_RELOAD_RESERVATIONS:
            OnReloadReservationsMessage();
            break;
        case timer_core::WM_RECORDING_ENDED:
            OnRecordingEnded();
            break;
        case timer_core::WM_RECORDING_CHAINED:
            OnRecordingChained();
            break;
        case timer_core::WM_RESERVATION_UPDATED:
            OnReservationUpdated();
            break;
        case timer_core::WM_RESCHEDULE:
            OnReschedule();
            break;
        case timer_core::WM_EPG_ACQUIRED:
            OnEpgAcquired();
            break;
        default:
            break;
    }
    return ui::Dialog::WindowProc(message, wParam, lParam);
}

void COrvandelDlg::OnTrayNotify(LPARAM lParam) {
    switch (ui::LOWORD(static_cast<std::uintptr_t>(lParam))) {
        case ui::WM_LBUTTONDOWN:
            ShowWindow(ui::SW_RESTORE);
            SetForegroundWindow();
            break;
        case ui::WM_RBUTTONDOWN:
            ShowTrayMenu();
            break;
        default:
            break;
    }
}

void COrvandelDlg::ShowTrayMenu() {
    const ui::PopupMenu menu = TrayMenu();
    SetForegroundWindow();
    const QPoint cursor = ui::GetCursorPos();
    // The chosen item arrives as the command of its button.
    menu.TrackPopupMenu(ui::TPM_RIGHTBUTTON, cursor.x(), cursor.y(), GetSafeHwnd());
}

void COrvandelDlg::OnReloadReservationsMessage() {
    // A reload still under way gets a moment to finish; after it this one runs in any case.
    if (reloadLock_) platform::WaitForSingleObject(*reloadLock_, kReloadLockWaitMs);
    ReloadReservations();
    tipText_ = NextReserveTipNow();
    CheckEpgAcquisition();
    ModifyNotifyIcon();
    if (reloadLock_) platform::SetEvent(*reloadLock_);
}

void COrvandelDlg::OnRecordingEnded() {
    AfterRecordingAction(true);
    Tick(0);
    FillReserveList();
    SaveReservations();
    UpdateTipText();
}

void COrvandelDlg::OnRecordingChained() {
    platform::Sleep(kRecordThreadPauseMs);
    FillReserveList();
    SaveReservations();
    tipText_ = NextReserveTipNow();
    Tick(0);
    ModifyNotifyIcon();
}

void COrvandelDlg::OnReservationUpdated() {
    platform::Sleep(kRecordThreadPauseMs);
    FillReserveList();
    SaveReservations();
    UpdateTipText();
}

void COrvandelDlg::OnReschedule() {
    platform::Sleep(kRecordThreadPauseMs);
    Tick(0);
    FillReserveList();
    SaveReservations();
    UpdateTipText();
}

void COrvandelDlg::OnEpgAcquired() {
    ReloadEpgData();
    AfterRecordingAction(false);
    Tick(0);
    FillReserveList();
    SaveReservations();
    UpdateTipText();
}

void COrvandelDlg::OnTimer(UINT_PTR id) {
    switch (id) {
        case kTickTimer:
            Tick(0);
            break;
        case kMessageToFrontTimer:
            KillTimer(kMessageToFrontTimer);
            BringMessageBoxToFront();
            break;
        case kEpgCheckTimer:
            CheckEpgAcquisition();
            break;
        case kSuspendAnswerTimer:
            AnswerSuspendQuery();
            break;
        default:
            break;
    }
    UpdateTipText();
}

void COrvandelDlg::BringMessageBoxToFront() {
    const std::wstring caption(AsyncMessageBox::kCaption);
    const platform::HWND box = platform::FindWindowW(nullptr, caption.c_str());
    if (box != 0) platform::SetForegroundWindow(box);
}

// --- the notification icon ----------------------------------------------------------------

std::wstring COrvandelDlg::NextReserveTipNow() const {
    const std::lock_guard lock(timerManager_->DataLock());
    return NextReserveTip(timerManager_->GetNextReserve());
}

void COrvandelDlg::UpdateTipText() {
    tipText_ = NextReserveTipNow();
    ModifyNotifyIcon();
}

void COrvandelDlg::AddNotifyIcon() {
    tipText_ = NextReserveTipNow();
    ui::NOTIFYICONDATAW data;
    data.hWnd = GetSafeHwnd();
    data.uID = kNotifyIconId;
    data.uFlags = ui::NIF_MESSAGE | ui::NIF_ICON | ui::NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    data.hIcon = icon_;
    data.szTip = tipText_;
    iconAdded_ = ui::Shell_NotifyIconW(ui::NIM_ADD, data) != 0;
}

void COrvandelDlg::ModifyNotifyIcon() {
    if (!iconAdded_) return;
    ui::NOTIFYICONDATAW data;
    data.hWnd = GetSafeHwnd();
    data.uID = kNotifyIconId;
    data.uFlags = ui::NIF_ICON | ui::NIF_TIP;
    data.hIcon = icon_;
    data.szTip = tipText_;
    ui::Shell_NotifyIconW(ui::NIM_MODIFY, data);
}

void COrvandelDlg::DeleteNotifyIcon() {
    if (!iconAdded_) return;
    ui::NOTIFYICONDATAW data;
    data.hWnd = GetSafeHwnd();
    data.uID = kNotifyIconId;
    ui::Shell_NotifyIconW(ui::NIM_DELETE, data);
    iconAdded_ = false;
}

// --- keys ---------------------------------------------------------------------------------

bool COrvandelDlg::PreTranslateMessage(platform::MSG& msg) {
    // Neither Enter nor Escape may close the window: both are swallowed before the dialog
    // manager sees them.
    if (msg.message == ui::WM_KEYDOWN &&
        (msg.wParam == ui::VK_RETURN || msg.wParam == ui::VK_ESCAPE)) {
        return true;
    }
    return ui::Dialog::PreTranslateMessage(msg);
}

}  // namespace timer_ui
