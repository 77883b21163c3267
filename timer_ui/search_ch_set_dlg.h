// The channels of a search in a tall check list, easier to tick than the condition editor's own
// list. It edits the caller's rows in place: they are written back when the window goes, however
// it is closed, and the caller rebuilds its list from them afterwards.
#pragma once

#include <vector>

#include "timer_ui/search_channel_row.h"
#include "ui/dialog.h"

namespace timer_ui {

class CSearchChSetDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_CHANNELS = 1077,
        IDC_CHECK_ALL = 1078,
        IDC_UNCHECK_ALL = 1079,
    };

    CSearchChSetDlg();

    // Not owned; set before the dialog runs. Without rows the list stays empty and nothing is
    // written back.
    void SetRows(std::vector<SearchChannelRow>* rows) { rows_ = rows; }

    void OnBnClickedCheckAll() { SetAllChecks(1); }
    void OnBnClickedUncheckAll() { SetAllChecks(0); }

  protected:
    ui::BOOL OnInitDialog() override;
    void OnDestroy() override;

  private:
    void SetAllChecks(int checked);

    std::vector<SearchChannelRow>* rows_ = nullptr;
};

}  // namespace timer_ui
