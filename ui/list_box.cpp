#include "ui/list_box.h"

#include <QSignalBlocker>

#include "ui/qt_text.h"

namespace ui {
namespace {

constexpr int kItemDataRole = Qt::UserRole;
constexpr int kLastCheckRole = Qt::UserRole + 1;

}  // namespace

ListBox::ListBox(QWidget* parent, bool checkBoxes, bool sorted)
    : QListWidget(parent), checkBoxes_(checkBoxes), sorted_(sorted) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* i) { OnItemChanged(i); });
}

int ListBox::AddString(std::wstring_view text) {
    int index = count();
    if (sorted_) {
        const QString q = ToQString(text);
        index = 0;
        while (index < count() &&
               QString::compare(item(index)->text(), q, Qt::CaseInsensitive) <= 0) {
            ++index;
        }
    }
    return InsertString(index, text);
}

int ListBox::InsertString(int index, std::wstring_view text) {
    auto* entry = new QListWidgetItem(ToQString(text));
    entry->setData(kItemDataRole, QVariant::fromValue<qlonglong>(0));
    if (checkBoxes_) {
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setCheckState(Qt::Unchecked);
        entry->setData(kLastCheckRole, 0);
    }
    const int at = index < 0 || index > count() ? count() : index;
    insertItem(at, entry);
    return at;
}

int ListBox::DeleteString(int index) {
    QListWidgetItem* entry = Item(index);
    if (entry == nullptr) return -1;
    delete entry;
    return count();
}

std::wstring ListBox::GetText(int index) const {
    QListWidgetItem* entry = Item(index);
    return entry != nullptr ? ToWide(entry->text()) : std::wstring();
}

bool ListBox::SetItemData(int index, LPARAM data) {
    QListWidgetItem* entry = Item(index);
    if (entry == nullptr) return false;
    entry->setData(kItemDataRole, QVariant::fromValue<qlonglong>(data));
    return true;
}

LPARAM ListBox::GetItemData(int index) const {
    QListWidgetItem* entry = Item(index);
    return entry != nullptr ? static_cast<LPARAM>(entry->data(kItemDataRole).toLongLong()) : 0;
}

bool ListBox::SetCheck(int index, int checked) {
    QListWidgetItem* entry = Item(index);
    if (entry == nullptr || !checkBoxes_) return false;
    settingCheck_ = true;
    entry->setCheckState(checked != 0 ? Qt::Checked : Qt::Unchecked);
    settingCheck_ = false;
    return true;
}

int ListBox::GetCheck(int index) const {
    QListWidgetItem* entry = Item(index);
    if (entry == nullptr || !checkBoxes_) return -1;
    return entry->checkState() == Qt::Checked ? 1 : 0;
}

bool ListBox::SetCurSel(int index) {
    if (index == -1) {
        setCurrentRow(-1);
        clearSelection();
        return true;
    }
    if (Item(index) == nullptr) return false;
    setCurrentRow(index);
    return true;
}

QListWidgetItem* ListBox::Item(int index) const {
    return index >= 0 && index < count() ? item(index) : nullptr;
}

void ListBox::OnItemChanged(QListWidgetItem* entry) {
    if (!checkBoxes_) return;
    const int now = entry->checkState() == Qt::Checked ? 1 : 0;
    if (entry->data(kLastCheckRole).toInt() == now) return;
    {
        const QSignalBlocker blocker(this);
        entry->setData(kLastCheckRole, now);
    }
    if (!settingCheck_ && notify_) notify_(CLBN_CHKCHANGE, row(entry));
}

}  // namespace ui
