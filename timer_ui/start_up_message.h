// The boxes of the program's start (the iEPG file of the command line, the first start): modal,
// without owner, with an empty caption and an OK button; the start goes on once they are closed.
#pragma once

#include <string_view>

namespace timer_ui {

void ShowStartUpMessage(std::wstring_view text);

}  // namespace timer_ui
