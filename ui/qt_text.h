// Wide text of the dialogs (std::wstring) <-> QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ui {

inline QString ToQString(std::wstring_view text) {
    return QString::fromWCharArray(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::wstring ToWide(const QString& text) {
    return text.toStdWString();
}

}  // namespace ui
