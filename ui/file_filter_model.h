// What an open-file picker lists under the filter the user has chosen, the filter read as
// Windows reads it: "*.*" is every file, with a dot in its name or without, and "*.exe" is every
// program, which on Linux has no extension but may be run; the other patterns match names without
// regard to case. Folders are always listed, to walk through. It sits between the picker and its
// file-system model, which then lists every file and leaves the choice to it.
#pragma once

#include <QFileInfo>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <string_view>
#include <vector>

namespace ui {

class FileFilterModel : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    // The patterns of the chosen filter, separated by ';' ("*.exe", "*.txt;*.log").
    void SetPatterns(std::wstring_view patterns);
    bool Lists(const QFileInfo& file) const;

    Qt::ItemFlags flags(const QModelIndex& index) const override;

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

  private:
    QFileInfo FileAt(const QModelIndex& sourceIndex) const;

    bool everyFile_ = false;
    bool programs_ = false;
    std::vector<QRegularExpression> names_;
};

}  // namespace ui
