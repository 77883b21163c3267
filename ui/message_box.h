// Message boxes. MessageBox is modal: it returns when the box is closed (posted messages and
// timers of the thread keep arriving meanwhile). ShowMessageBoxNonBlocking returns at once; the
// box it opens replaces any open box of the same caption, in this process directly and in other
// processes by posting WM_QUIT to the window the platform registry finds under that caption. A
// box is a platform window titled with its caption: SetForegroundWindow brings it to the front,
// and WM_QUIT or WM_CLOSE posted to it closes it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ui/win_constants.h"

namespace ui {

struct MessageBoxRequest {
    HWND owner = 0;
    std::wstring text;
    std::wstring caption;
    UINT type = MB_OK;
};

// Shows a modal box with an OK button and the icon of `type`; returns IDOK.
int MessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type = MB_OK);

// A modal OK box with the error icon that needs none of the platform's window services: the box
// of a program that cannot start because they are not available (its runtime folder is refused).
// Returns IDOK; the test answer of MessageBox answers it as well.
int MessageBoxWithoutWindowServices(std::wstring_view text, std::wstring_view caption);

// Opens a plain OK box without owner and returns its window handle (0 on failure) at once.
HWND ShowMessageBoxNonBlocking(std::wstring_view text, std::wstring_view caption);

// Closes every non-blocking box of this process titled `caption`; returns how many.
int CloseNonBlockingMessageBoxes(std::wstring_view caption);

// The caption of boxes that name none: the application's name.
std::wstring ApplicationTitle();

// Tests: answer modal boxes without showing them (empty function: show them). Non-blocking boxes
// need no answer and are always shown.
void SetMessageBoxAnswer(std::function<int(const MessageBoxRequest&)> answer);

}  // namespace ui
