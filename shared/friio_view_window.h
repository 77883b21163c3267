// The viewer's main window, as the timer and the tools find it among the user's windows: an
// unowned top-level window of the viewer's process whose title is "Friio HDTV Player", compared
// without regard to case.
#pragma once

#include <string_view>

#include "platform/win_types.h"

namespace shared {

inline constexpr std::string_view kFriioViewWindowTitle = "Friio HDTV Player";

// Whether the window is the main window of the viewer process `pid`.
bool IsFriioViewMainWindow(platform::HWND hwnd, platform::DWORD pid);

// The main window of the viewer process `pid`; 0 when it has none (yet).
platform::HWND FindFriioViewMainWindow(platform::DWORD pid);

}  // namespace shared
