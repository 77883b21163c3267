#include "shared/friio_view_window.h"

#include <algorithm>

#include "platform/window_messages.h"

namespace shared {
namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The title as narrow text of at most 255 bytes: a longer title is cut and never matches.
bool HasViewerTitle(platform::HWND hwnd) {
    char title[256] = {};
    const int length = platform::GetWindowTextA(hwnd, title, sizeof title);
    const std::string_view text(title, static_cast<std::size_t>(std::max(length, 0)));
    return std::ranges::equal(text, kFriioViewWindowTitle,
                              [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

struct WindowSearch {
    platform::DWORD pid = 0;
    platform::HWND found = 0;
};

platform::BOOL FindMainWindow(platform::HWND hwnd, platform::LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if (!IsFriioViewMainWindow(hwnd, search->pid)) return platform::TRUE;
    search->found = hwnd;
    return platform::FALSE;
}

}  // namespace

bool IsFriioViewMainWindow(platform::HWND hwnd, platform::DWORD pid) {
    platform::DWORD owner = 0;
    platform::GetWindowThreadProcessId(hwnd, &owner);
    return owner == pid && platform::GetWindow(hwnd, platform::GW_OWNER) == 0 &&
           HasViewerTitle(hwnd);
}

platform::HWND FindFriioViewMainWindow(platform::DWORD pid) {
    WindowSearch search{pid, 0};
    platform::EnumWindows(&FindMainWindow, reinterpret_cast<platform::LPARAM>(&search));
    return search.found;
}

}  // namespace shared
