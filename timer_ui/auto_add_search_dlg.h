// The condition editor and EPG search. Mode 0 adds a condition to AutoSearch.txt, mode 1 changes
// the stored condition at an index (both opened by the automatic-reservation list), mode 2 is the
// main window's free search, where a hit can be reserved at once and the query saved as a new
// condition. In every mode the condition can be tried against the EPG store; Enter and Escape run
// that search instead of closing the dialog, which closes by its close box.
//
// Keywords keep what AutoSearch.txt can hold: TAB and line ends typed or pasted into them become
// blanks when the controls are read, so a condition searches the same before and after it is
// saved.
#pragma once

#include <string>
#include <string_view>

#include "broadcast/epg_store.h"
#include "timer_core/epg/auto_search_condition.h"
#include "timer_core/epg/auto_search_file.h"
#include "timer_core/epg/epg_search.h"
#include "timer_core/scheduling/timer_manager.h"
#include "ui/dialog.h"

namespace timer_ui {

// Shown when AutoSearch.txt was not written, e.g. because it could not be read and so is not
// replaced by the conditions of this dialog alone.
inline constexpr std::wstring_view kConditionsSaveFailed = L"自動登録条件の保存に失敗しました";

class CAutoAddSearchDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_CHANNELS = 1029,
        IDC_AND = 1038,
        IDC_MONDAY = 1041,  // to IDC_SUNDAY, Monday to Sunday
        IDC_SUNDAY = 1047,
        IDC_SEARCH = 1048,
        IDC_NOT = 1052,
        IDC_TITLE_ONLY = 1053,
        IDC_GENRE = 1054,
        IDC_START_HOUR = 1055,
        IDC_START_MINUTE = 1056,
        IDC_END_HOUR = 1058,
        IDC_END_MINUTE = 1059,
        IDC_CHECK_ALL = 1060,
        IDC_UNCHECK_ALL = 1061,
        IDC_ADD_OR_CHANGE = 1062,
        IDC_RESULTS = 1064,
        IDC_RESERVE = 1065,
        IDC_FOLLOW = 1066,
        IDC_PRIORITY = 1067,
        IDC_ENLARGE = 1076,
    };
    enum Mode { kModeAdd = 0, kModeChange = 1, kModeSearch = 2 };

    // The search-channel defaults (section "CH") come from the timer's ini file beside the
    // executable, or from `iniPath`.
    CAutoAddSearchDlg();
    explicit CAutoAddSearchDlg(std::wstring iniPath);

    // Set by the opener before the dialog runs. The store and the manager are not owned; the
    // manager (mode 2 only) receives the reservations.
    void SetMode(int mode) { mode_ = mode; }
    void SetStore(broadcast::EpgStore* store) { store_ = store; }
    void SetManager(timer_core::TimerManager* manager) { manager_ = manager; }
    void SetConditionIndex(int index) { conditionIndex_ = index; }

    void OnBnClickedCheckAll() { SetAllChecks(1); }
    void OnBnClickedUncheckAll() { SetAllChecks(0); }
    void OnBnClickedAddOrChange();
    void OnBnClickedSearch();
    void OnNMClickResultList();
    void OnNMDblclkResultList();
    void OnBnClickedReserve();
    void OnBnClickedEnlarge();

    const timer_core::SearchResultMap& Results() const { return results_; }
    int SelectedResult() const { return selectedResult_; }

  protected:
    ui::BOOL OnInitDialog() override;
    void OnSize(ui::UINT type, int cx, int cy) override;
    bool PreTranslateMessage(ui::MSG& msg) override;

  private:
    void FillCombos();
    void FillChannelRows();
    // Mode 1: reads the file and puts the condition at the index into the members and controls;
    // an index that names no condition leaves them at their defaults.
    void ShowStoredCondition();
    bool HasStoredCondition() const;
    // The controls into the members, keywords made fit for the file.
    void ReadControls();
    // The condition the controls describe (after ReadControls).
    timer_core::AutoSearchCondition ConditionFromControls() const;
    bool HasSearchTerms(const timer_core::AutoSearchCondition& condition) const;
    int ComboSelection(int id) const;
    void SetAllChecks(int checked);

    int mode_ = kModeAdd;
    broadcast::EpgStore* store_ = nullptr;
    timer_core::TimerManager* manager_ = nullptr;
    int conditionIndex_ = 0;

    std::wstring iniPath_;
    timer_core::AutoSearchFile file_;
    timer_core::SearchResultMap results_;
    std::wstring andWords_;
    std::wstring notWords_;
    int titleOnly_ = 0;
    int weekdays_[timer_core::kWeekdayCount] = {1, 1, 1, 1, 1, 1, 1};
    int selectedResult_ = -1;
};

}  // namespace timer_ui
