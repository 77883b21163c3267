#include "ui/pickers.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QStringList>

#include "ui/answer_hook.h"
#include "ui/dialog.h"
#include "ui/file_filter_model.h"
#include "ui/font_picker_dialog.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

AnswerHook<FolderPickerRequest, std::optional<std::wstring>>& FolderHook() {
    static AnswerHook<FolderPickerRequest, std::optional<std::wstring>> hook;
    return hook;
}

AnswerHook<OpenFileRequest, std::optional<std::wstring>>& OpenFileHook() {
    static AnswerHook<OpenFileRequest, std::optional<std::wstring>> hook;
    return hook;
}

AnswerHook<FontPickerRequest, std::optional<FontChoice>>& FontHook() {
    static AnswerHook<FontPickerRequest, std::optional<FontChoice>> hook;
    return hook;
}

// Qt takes a filter's patterns from the parentheses at its end: "exe files (*.exe)" already has
// them; another description gets them appended.
QStringList QtFilters(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const FileFilter& filter : filters) {
        QString patterns = ToQString(filter.pattern);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString description = ToQString(filter.description);
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        parts << (description.endsWith(suffix) ? description
                                               : QStringLiteral("%1 %2").arg(description, suffix));
    }
    return parts;
}

// Runs a picker modal to its owner only, as Windows pickers are.
bool RunModal(QDialog& picker) {
    picker.setWindowModality(Qt::WindowModal);
    return picker.exec() == QDialog::Accepted;
}

std::optional<std::wstring> RunFileDialog(QFileDialog& picker) {
    if (!RunModal(picker) || picker.selectedFiles().isEmpty()) return std::nullopt;
    return ToWide(picker.selectedFiles().front());
}

}  // namespace

std::optional<std::wstring> BrowseForFolder(HWND owner, std::wstring_view title) {
    if (FolderHook().Active()) return FolderHook().Answer({owner, std::wstring(title)});
    QFileDialog picker(Dialog::FromHandle(owner), ToQString(title));
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    return RunFileDialog(picker);
}

std::optional<std::wstring> GetOpenFileName(HWND owner, const std::vector<FileFilter>& filters) {
    if (OpenFileHook().Active()) return OpenFileHook().Answer({owner, filters});
    QFileDialog picker(Dialog::FromHandle(owner));
    // Only Qt's own picker lets a model of ours choose what it lists.
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setFileMode(QFileDialog::ExistingFile);
    const QStringList shown = QtFilters(filters);
    picker.setNameFilters(shown);
    auto* listed = new FileFilterModel(&picker);
    picker.setProxyModel(listed);
    if (auto* files = qobject_cast<QFileSystemModel*>(listed->sourceModel()))
        files->setNameFilterDisables(true);  // every file reaches the model; it decides
    const auto choose = [&filters, shown, listed](const QString& chosen) {
        const auto index = shown.indexOf(chosen);
        listed->SetPatterns(index >= 0 ? std::wstring_view(filters[index].pattern)
                                       : std::wstring_view(L"*.*"));
    };
    QObject::connect(&picker, &QFileDialog::filterSelected, listed, choose);
    choose(picker.selectedNameFilter());
    return RunFileDialog(picker);
}

std::optional<FontChoice> ChooseFont(HWND owner, const FontChoice& initial) {
    if (FontHook().Active()) return FontHook().Answer({owner, initial});
    FontPickerDialog picker(Dialog::FromHandle(owner), FontFromLogFont(initial.font),
                            initial.color);
    if (!RunModal(picker)) return std::nullopt;
    return FontChoice{LogFontFromFont(picker.SelectedFont(), initial.font), picker.SelectedColor()};
}

void SetFolderPickerAnswer(
    std::function<std::optional<std::wstring>(const FolderPickerRequest&)> answer) {
    FolderHook().Set(std::move(answer));
}

void SetOpenFileAnswer(std::function<std::optional<std::wstring>(const OpenFileRequest&)> answer) {
    OpenFileHook().Set(std::move(answer));
}

void SetFontPickerAnswer(
    std::function<std::optional<FontChoice>(const FontPickerRequest&)> answer) {
    FontHook().Set(std::move(answer));
}

}  // namespace ui
