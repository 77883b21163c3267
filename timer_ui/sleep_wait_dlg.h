// The countdown before the main window puts the PC into standby or hibernation after a recording
// or an EPG acquisition: a bar falls from 15 to 0 once a second and the dialog ends with OK on
// the tick after it reached 0 (about 16 s after opening); Cancel ends it at once and keeps the
// PC awake.
#pragma once

#include "ui/dialog.h"

namespace timer_ui {

class CSleepWaitDlg : public ui::Dialog {
  public:
    enum ControlId { IDC_PROGRESS = 1039 };
    static constexpr ui::UINT_PTR kCountdownTimer = 123;
    static constexpr int kSeconds = 15;

    CSleepWaitDlg();

  protected:
    ui::BOOL OnInitDialog() override;
    void OnTimer(ui::UINT_PTR id) override;

  private:
    int count_ = kSeconds;
};

}  // namespace timer_ui
