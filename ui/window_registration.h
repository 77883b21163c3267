// Reaching the windows of other processes through the platform's window registry.
#pragma once

#include <string_view>

#include "ui/win_constants.h"

namespace ui {

// Posts WM_QUIT to every window of another process titled `title` (compared without regard to
// case); returns how many.
int PostQuitToForeignWindowsTitled(std::wstring_view title);

}  // namespace ui
