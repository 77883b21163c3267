#include "ui/list_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "ui/qt_text.h"

namespace ui {
namespace {

constexpr int kItemDataRole = Qt::UserRole;
constexpr int kLastCheckRole = Qt::UserRole + 1;

}  // namespace

ListView::ListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setMouseTracking(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int) { OnItemChanged(item); });
}

void ListView::SetExtendedStyle(DWORD style) {
    extendedStyle_ = style;
    const bool fullRow = (style & LVS_EX_FULLROWSELECT) != 0;
    setSelectionBehavior(fullRow ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setAllColumnsShowFocus(fullRow);
    for (int i = 0; i < topLevelItemCount(); ++i)
        PrepareRow(topLevelItem(i));
}

int ListView::InsertColumn(int /*column*/, std::wstring_view heading, int /*format*/, int width) {
    const int index = columnCount();
    setColumnCount(index + 1);
    headerItem()->setText(index, ToQString(heading));
    if (width >= 0) setColumnWidth(index, width);
    return index;
}

int ListView::InsertItem(int row, std::wstring_view text) {
    auto* item = new QTreeWidgetItem();
    item->setText(0, ToQString(text));
    item->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(0));
    PrepareRow(item);
    const int index = row < 0 || row > topLevelItemCount() ? topLevelItemCount() : row;
    insertTopLevelItem(index, item);
    return index;
}

bool ListView::DeleteItem(int row) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr) return false;
    delete item;
    return true;
}

bool ListView::DeleteAllItems() {
    clear();
    hot_ = -1;
    return true;
}

bool ListView::SetItemText(int row, int column, std::wstring_view text) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr || column < 0 || column >= columnCount()) return false;
    item->setText(column, ToQString(text));
    return true;
}

std::wstring ListView::GetItemText(int row, int column) const {
    QTreeWidgetItem* item = Row(row);
    return item != nullptr ? ToWide(item->text(column)) : std::wstring();
}

bool ListView::SetItemData(int row, LPARAM data) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr) return false;
    item->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(data));
    return true;
}

LPARAM ListView::GetItemData(int row) const {
    QTreeWidgetItem* item = Row(row);
    return item != nullptr ? static_cast<LPARAM>(item->data(0, kItemDataRole).toLongLong()) : 0;
}

bool ListView::SetCheck(int row, bool checked) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr || (extendedStyle_ & LVS_EX_CHECKBOXES) == 0) return false;
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    return true;
}

bool ListView::GetCheck(int row) const {
    QTreeWidgetItem* item = Row(row);
    return item != nullptr && (extendedStyle_ & LVS_EX_CHECKBOXES) != 0 &&
           item->checkState(0) == Qt::Checked;
}

int ListView::RowAt(const QPoint& viewportPos) const {
    QTreeWidgetItem* item = itemAt(viewportPos);
    return item != nullptr ? indexOfTopLevelItem(item) : -1;
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
    hot_ = RowAt(event->position().toPoint());
    QTreeWidget::mouseMoveEvent(event);
}

void ListView::mousePressEvent(QMouseEvent* event) {
    hot_ = RowAt(event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (releaseAfterDoubleClick_) {
        releaseAfterDoubleClick_ = false;
        return;
    }
    if (event->button() == Qt::LeftButton) Send(NM_CLICK, hot_);
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    hot_ = RowAt(event->position().toPoint());
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    releaseAfterDoubleClick_ = true;
    Send(NM_DBLCLK, hot_);
}

void ListView::leaveEvent(QEvent* event) {
    hot_ = -1;
    QTreeWidget::leaveEvent(event);
}

QTreeWidgetItem* ListView::Row(int row) const {
    return row >= 0 && row < topLevelItemCount() ? topLevelItem(row) : nullptr;
}

void ListView::PrepareRow(QTreeWidgetItem* item) const {
    const QSignalBlocker blocker(const_cast<ListView*>(this));
    if ((extendedStyle_ & LVS_EX_CHECKBOXES) != 0) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        if (!item->data(0, Qt::CheckStateRole).isValid()) {
            item->setCheckState(0, Qt::Unchecked);
            item->setData(0, kLastCheckRole, 0);
        }
    } else {
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setData(0, Qt::CheckStateRole, QVariant());
    }
}

void ListView::OnItemChanged(QTreeWidgetItem* item) {
    if ((extendedStyle_ & LVS_EX_CHECKBOXES) == 0) return;
    const int now = item->checkState(0) == Qt::Checked ? 1 : 0;
    const int before = item->data(0, kLastCheckRole).toInt();
    if (now == before) return;
    {
        const QSignalBlocker blocker(this);
        item->setData(0, kLastCheckRole, now);
    }
    Send(LVN_ITEMCHANGED, indexOfTopLevelItem(item), before, now);
}

void ListView::Send(int code, int row, int oldCheck, int newCheck) {
    if (notify_) notify_(code, row, oldCheck, newCheck);
}

}  // namespace ui
