// The automatic-reservation list: the conditions of AutoSearch.txt above, every programme they
// find in the timer's EPG store below. Conditions are added and changed in the condition editor
// and deleted here; after each the file is read again and everything searched again.
//
// The main window also makes one without showing it, for its automatic reservations:
//
//   CAutoAddDlg conditions;
//   conditions.SetStore(&store);
//   conditions.File().Load();
//   conditions.SearchAllConditions();
//   for (const auto& [key, hit] : conditions.Results()) ...
#pragma once

#include <string>

#include "broadcast/epg_store.h"
#include "timer_core/epg/auto_search_file.h"
#include "timer_core/epg/epg_search.h"
#include "ui/dialog.h"

namespace timer_ui {

class CAutoAddDlg : public ui::Dialog {
  public:
    enum ControlId {
        IDC_DELETE = 1005,
        IDC_CHANGE = 1025,
        IDC_CONDITIONS = 1043,
        IDC_ADD = 1044,
        IDC_RESULTS = 1047,
    };

    // The condition editor it opens reads the search-channel defaults from the timer's ini file
    // beside the executable, or from `iniPath`.
    CAutoAddDlg();
    explicit CAutoAddDlg(std::wstring iniPath);

    // The timer's EPG store, not owned; null (the default) makes the search do nothing.
    void SetStore(broadcast::EpgStore* store) { store_ = store; }
    timer_core::AutoSearchFile& File() { return file_; }
    const timer_core::SearchResultMap& Results() const { return results_; }

    // Runs every condition of the file in key order over the store into the result map, which
    // is emptied first: 1, or 0 with nothing done when there is no store.
    int SearchAllConditions();

    void FillConditionList();
    void FillResultList();
    void AddConditionRow(int row, const timer_core::AutoSearchCondition& condition);
    void AddResultRow(int row, const timer_core::SearchResultEntry& hit);

    void OnBnClickedAdd();
    void OnBnClickedChange();
    void OnBnClickedDelete();
    void OnNMClickConditionList();
    void OnNMDblclkConditionList();
    void OnNMClickResultList();
    void OnNMDblclkResultList();

    int SelectedCondition() const { return selectedCondition_; }
    int SelectedResult() const { return selectedResult_; }

  protected:
    ui::BOOL OnInitDialog() override;

  private:
    // The remembered condition row when it still names a condition of the map; a row past its
    // end (after deletes without a new click) counts as no selection.
    bool HasSelectedCondition() const;
    // The condition editor in `mode` (0 add, 1 change the condition at `index`), then Reload.
    void RunEditor(int mode, int index);
    // The file, the search and both lists afresh.
    void Reload();
    int HotItem(int listId) const;

    std::wstring iniPath_;
    timer_core::AutoSearchFile file_;
    timer_core::SearchResultMap results_;
    broadcast::EpgStore* store_ = nullptr;
    int selectedCondition_ = -1;
    int selectedResult_ = -1;
};

}  // namespace timer_ui
