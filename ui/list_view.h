// A list view in report mode: columns with headings and widths, rows with texts per column, an
// item-data value per row, optional check boxes and full-row selection (extended styles), and the
// hot item (the row under the mouse, -1 when none). Tells its dialog of NM_CLICK and NM_DBLCLK
// (anywhere in the list, with the row hit or -1) and of LVN_ITEMCHANGED when a row's check box
// changes.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>
#include <string_view>

#include "ui/win_constants.h"

namespace ui {

class ListView : public QTreeWidget {
  public:
    // code (NM_CLICK, NM_DBLCLK, LVN_ITEMCHANGED), row (-1: none), old and new check state
    // (LVN_ITEMCHANGED only).
    using Notify = std::function<void(int code, int row, int oldCheck, int newCheck)>;

    explicit ListView(QWidget* parent);

    void SetNotify(Notify notify) { notify_ = std::move(notify); }

    DWORD GetExtendedStyle() const { return extendedStyle_; }
    void SetExtendedStyle(DWORD style);

    // Columns are appended in order; returns the new column's index.
    int InsertColumn(int column, std::wstring_view heading, int format = LVCFMT_LEFT,
                     int width = -1);
    int GetColumnCount() const { return columnCount(); }

    int GetItemCount() const { return topLevelItemCount(); }
    // Inserts a row at `row` (clamped to the end); returns its index.
    int InsertItem(int row, std::wstring_view text);
    bool DeleteItem(int row);
    bool DeleteAllItems();
    bool SetItemText(int row, int column, std::wstring_view text);
    std::wstring GetItemText(int row, int column) const;
    bool SetItemData(int row, LPARAM data);
    LPARAM GetItemData(int row) const;
    bool SetCheck(int row, bool checked);
    bool GetCheck(int row) const;

    int GetHotItem() const { return hot_; }
    void SetHotItem(int row) { hot_ = row; }
    // The row shown at a point of the viewport, -1 when none.
    int RowAt(const QPoint& viewportPos) const;

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QTreeWidgetItem* Row(int row) const;
    void PrepareRow(QTreeWidgetItem* item) const;
    void OnItemChanged(QTreeWidgetItem* item);
    void Send(int code, int row, int oldCheck = 0, int newCheck = 0);

    Notify notify_;
    DWORD extendedStyle_ = 0;
    int hot_ = -1;
    bool releaseAfterDoubleClick_ = false;
};

}  // namespace ui
