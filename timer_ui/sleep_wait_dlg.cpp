#include "timer_ui/sleep_wait_dlg.h"

#include "ui/progress_bar.h"

namespace timer_ui {
namespace {

using ui::ControlKind;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, L"スタンバイ or 休止状態に移行します", 16, 16, 288, 16},
    {CSleepWaitDlg::IDC_PROGRESS, ControlKind::ProgressBar, L"", 16, 40, 288, 18},
    {ui::IDOK, ControlKind::PushButton, L"OK", 124, 74, 84, 24},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 220, 74, 84, 24},
};

const ui::DialogTemplate kTemplate{L"スタンバイ or 休止状態移行", 320, 110, 0, kControls};

}  // namespace

CSleepWaitDlg::CSleepWaitDlg() : ui::Dialog(kTemplate) {}

ui::BOOL CSleepWaitDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    // Started by a timer of the main window, possibly hidden in the tray: the user must see it.
    ShowWindow(ui::SW_SHOW);
    SetForegroundWindow();
    if (auto* bar = Item<ui::ProgressBar>(IDC_PROGRESS)) {
        bar->SetRange(0, kSeconds);
        bar->SetPos(kSeconds);
    }
    count_ = kSeconds;
    SetTimer(kCountdownTimer, 1000);
    return ui::TRUE;
}

void CSleepWaitDlg::OnTimer(ui::UINT_PTR id) {
    if (id != kCountdownTimer) return;
    if (count_ == 0) {
        KillTimer(kCountdownTimer);
        EndDialog(ui::IDOK);
    } else {
        --count_;
        if (auto* bar = Item<ui::ProgressBar>(IDC_PROGRESS)) bar->SetPos(count_);
    }
    update();
}

}  // namespace timer_ui
