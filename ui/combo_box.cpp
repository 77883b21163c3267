#include "ui/combo_box.h"

#include "ui/qt_text.h"

namespace ui {

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
}

int ComboBox::AddString(std::wstring_view text) {
    const int selected = currentIndex();
    addItem(ToQString(text), QVariant::fromValue<qlonglong>(0));
    if (selected == -1) setCurrentIndex(-1);
    return count() - 1;
}

std::wstring ComboBox::GetLBText(int index) const {
    return index >= 0 && index < count() ? ToWide(itemText(index)) : std::wstring();
}

bool ComboBox::SetItemData(int index, LPARAM data) {
    if (index < 0 || index >= count()) return false;
    setItemData(index, QVariant::fromValue<qlonglong>(data));
    return true;
}

LPARAM ComboBox::GetItemData(int index) const {
    if (index < 0 || index >= count()) return 0;
    return static_cast<LPARAM>(itemData(index).toLongLong());
}

bool ComboBox::SetCurSel(int index) {
    if (index < -1 || index >= count()) return false;
    setCurrentIndex(index);
    return true;
}

}  // namespace ui
