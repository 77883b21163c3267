// A list box: texts with an item-data value each, an optional sorted order (new texts go to their
// place, compared without regard to case), and for the check list box a check box per item. The
// current selection is the selected item (-1 when none). Tells its dialog of CLBN_CHKCHANGE when
// the user changes an item's check box.
#pragma once

#include <QListWidget>
#include <functional>
#include <string>
#include <string_view>

#include "ui/win_constants.h"

namespace ui {

class ListBox : public QListWidget {
  public:
    using Notify = std::function<void(int code, int item)>;

    ListBox(QWidget* parent, bool checkBoxes, bool sorted);

    void SetNotify(Notify notify) { notify_ = std::move(notify); }
    bool HasCheckBoxes() const { return checkBoxes_; }

    // Appends (or, sorted, inserts in order); returns the new item's index.
    int AddString(std::wstring_view text);
    // Inserts at `index` (-1: at the end) whatever the sort order; returns the index.
    int InsertString(int index, std::wstring_view text);
    // Returns the number of items left, or -1 for a bad index.
    int DeleteString(int index);
    void ResetContent() { clear(); }
    int GetCount() const { return count(); }
    std::wstring GetText(int index) const;
    bool SetItemData(int index, LPARAM data);
    LPARAM GetItemData(int index) const;
    // 1 checked, 0 not; -1 for a bad index or a list without check boxes.
    bool SetCheck(int index, int checked);
    int GetCheck(int index) const;
    int GetCurSel() const { return currentRow(); }
    // -1 clears the selection; returns false for another bad index.
    bool SetCurSel(int index);

  private:
    QListWidgetItem* Item(int index) const;
    void OnItemChanged(QListWidgetItem* item);

    Notify notify_;
    bool checkBoxes_;
    bool sorted_;
    bool settingCheck_ = false;
};

}  // namespace ui
