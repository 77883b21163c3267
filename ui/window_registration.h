// What the platform's window registry keeps of a dialog besides its handle: the title other
// processes find it by and whether it is visible.
#pragma once

#include <string_view>

#include "ui/win_constants.h"

namespace ui {

void UpdateRegisteredTitle(HWND hwnd, std::wstring_view title);
void UpdateRegisteredVisibility(HWND hwnd, bool visible);

// Posts WM_QUIT to every window of another process titled `title`; returns how many.
int PostQuitToForeignWindowsTitled(std::wstring_view title);

}  // namespace ui
