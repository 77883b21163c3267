// The pickers: a folder browser with a title, an open-file dialog with filters, and a font dialog
// with effects and the text colour. Each returns nothing when the user cancels. Tests answer them
// through the Set...Answer hooks, so that no picker waits for a person.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/log_font.h"
#include "ui/win_constants.h"

namespace ui {

struct FileFilter {
    std::wstring description;  // "exe files (*.exe)"
    std::wstring pattern;      // "*.exe"; several separated by ';'
};

struct FolderPickerRequest {
    HWND owner = 0;
    std::wstring title;
};

struct OpenFileRequest {
    HWND owner = 0;
    std::vector<FileFilter> filters;
};

struct FontChoice {
    LOGFONTW font;
    COLORREF color = 0;
};

struct FontPickerRequest {
    HWND owner = 0;
    FontChoice initial;
};

std::optional<std::wstring> BrowseForFolder(HWND owner, std::wstring_view title);
// Only an existing file can be chosen. The filters keep their Windows meaning: "*.exe" lists the
// programs, which here have no extension but may be run, and "*.*" every file.
std::optional<std::wstring> GetOpenFileName(HWND owner, const std::vector<FileFilter>& filters);
// Preset with `initial`; the chosen LOGFONT keeps the fields Qt does not know from `initial`.
std::optional<FontChoice> ChooseFont(HWND owner, const FontChoice& initial);

void SetFolderPickerAnswer(
    std::function<std::optional<std::wstring>(const FolderPickerRequest&)> answer);
void SetOpenFileAnswer(std::function<std::optional<std::wstring>(const OpenFileRequest&)> answer);
void SetFontPickerAnswer(std::function<std::optional<FontChoice>(const FontPickerRequest&)> answer);

}  // namespace ui
