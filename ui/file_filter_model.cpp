#include "ui/file_filter_model.h"

#include <QFileSystemModel>

#include "ui/qt_text.h"

namespace ui {

void FileFilterModel::SetPatterns(std::wstring_view patterns) {
    everyFile_ = false;
    programs_ = false;
    names_.clear();
    for (const QString& pattern : ToQString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (trimmed == QLatin1String("*.*") || trimmed == QLatin1String("*")) {
            everyFile_ = true;
            continue;
        }
        if (trimmed.compare(QLatin1String("*.exe"), Qt::CaseInsensitive) == 0) programs_ = true;
        names_.emplace_back(QRegularExpression::wildcardToRegularExpression(trimmed),
                            QRegularExpression::CaseInsensitiveOption);
    }
    invalidateFilter();
}

bool FileFilterModel::Lists(const QFileInfo& file) const {
    if (file.isDir() || everyFile_) return true;
    if (programs_ && file.isFile() && file.isExecutable()) return true;
    for (const QRegularExpression& name : names_) {
        if (name.match(file.fileName()).hasMatch()) return true;
    }
    return false;
}

QFileInfo FileFilterModel::FileAt(const QModelIndex& sourceIndex) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    return files != nullptr ? files->fileInfo(sourceIndex) : QFileInfo();
}

bool FileFilterModel::filterAcceptsRow(int row, const QModelIndex& parent) const {
    return Lists(FileAt(sourceModel()->index(row, 0, parent)));
}

Qt::ItemFlags FileFilterModel::flags(const QModelIndex& index) const {
    // The file-system model greys out what its own reading of the filter does not match.
    Qt::ItemFlags flags = QSortFilterProxyModel::flags(index);
    if (index.isValid() && Lists(FileAt(mapToSource(index)))) flags |= Qt::ItemIsEnabled;
    return flags;
}

}  // namespace ui
