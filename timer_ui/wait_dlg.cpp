#include "timer_ui/wait_dlg.h"

#include "timer_ui/main_window_texts.h"

namespace timer_ui {
namespace {

using ui::ControlKind;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, texts::kEpgLoading, 20, 22, 240, 16},
};

const ui::DialogTemplate kTemplate{L"Orvandel", 280, 60, 0, kControls};

}  // namespace

CWaitDlg::CWaitDlg() : ui::Dialog(kTemplate) {}

void CWaitDlg::ShowNow() {
    ShowWindow(ui::SW_SHOW);
    repaint();
}

}  // namespace timer_ui
