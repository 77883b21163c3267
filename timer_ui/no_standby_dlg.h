// The programs whose running process keeps the PC from standby or hibernation (section
// "NO_SUSPEND" of the timer's ini file). The list box shows the names sorted; each row carries
// the position of its name in the list, which keeps the order the names were added in and is
// what OK saves. Cancel saves nothing.
#pragma once

#include <string>

#include "timer_core/power/suppression_list.h"
#include "ui/dialog.h"

namespace timer_ui {

class CNoStandbyDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_DELETE = 1005,
        IDC_NAME = 1038,
        IDC_ADD = 1044,
        IDC_NAMES = 1069,
    };

    // The list is read from and saved to the timer's ini file beside the executable, or `iniPath`.
    CNoStandbyDlg();
    explicit CNoStandbyDlg(std::wstring iniPath);

    void FillList();
    void OnBnClickedAdd();
    void OnBnClickedDelete();
    void OnBnClickedOk();

    const timer_core::SuppressionList& List() const { return list_; }

  protected:
    ui::BOOL OnInitDialog() override;

  private:
    timer_core::SuppressionList list_;
    std::wstring name_;
};

}  // namespace timer_ui
