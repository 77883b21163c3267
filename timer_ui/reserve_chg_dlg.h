// Changes one reservation: the main window's change command fills the fields, runs the dialog and
// applies the fields after OK. Nothing is checked here; the caller reads the texts as they are.
#pragma once

#include <string>

#include "ui/dialog.h"

namespace timer_ui {

class CReserveChgDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_START = 1034,
        IDC_TITLE = 1035,
        IDC_PRIORITY = 1036,
        IDC_FOLLOW = 1037,
        IDC_MINUTES = 1038,
    };

    CReserveChgDlg();

    // Exchanged with the controls when the dialog starts and on OK.
    std::wstring startText;
    std::wstring titleText;
    int priorityIndex = 0;  // priority - 1
    int followIndex = 0;    // 0 "しない", 1 "する"
    std::wstring minutesText;

    void OnBnClickedOk();

  protected:
    ui::BOOL OnInitDialog() override;
};

}  // namespace timer_ui
