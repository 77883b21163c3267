// A drop-down list: texts with an item-data value each and a current selection (-1: none). Adding
// texts leaves the selection as it was, as Windows combo boxes do (the dialogs rely on it).
#pragma once

#include <QComboBox>
#include <string>
#include <string_view>

#include "ui/win_constants.h"

namespace ui {

class ComboBox : public QComboBox {
  public:
    explicit ComboBox(QWidget* parent);

    int AddString(std::wstring_view text);  // returns the new item's index
    void ResetContent() { clear(); }
    int GetCount() const { return count(); }
    std::wstring GetLBText(int index) const;
    bool SetItemData(int index, LPARAM data);
    LPARAM GetItemData(int index) const;
    int GetCurSel() const { return currentIndex(); }
    // -1 clears the selection; returns false for another bad index.
    bool SetCurSel(int index);
};

}  // namespace ui
