// Operations every control kind answers, whatever widget stands behind it: its text (multi-line
// edits exchange CR LF line ends, as the dialogs write them), its check state and its text colour.
#pragma once

#include <QWidget>
#include <string>
#include <string_view>

#include "ui/win_constants.h"

namespace ui {

std::wstring GetControlText(const QWidget* control);
void SetControlText(QWidget* control, std::wstring_view text);

// Check state of a check box, toggle or radio button: 1 checked, 0 not (0 for other kinds).
int GetButtonCheck(const QWidget* control);
void SetButtonCheck(QWidget* control, int checked);

void SetControlTextColor(QWidget* control, COLORREF color);

}  // namespace ui
