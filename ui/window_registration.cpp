#include "ui/window_registration.h"

#include <unistd.h>

#include <string>
#include <vector>

#include "platform/text_case.h"

namespace ui {
namespace {

BOOL CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::wstring TitleOf(HWND hwnd) {
    std::vector<wchar_t> buffer(1024);
    const int n = platform::GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

int PostQuitToForeignWindowsTitled(std::wstring_view title) {
    std::vector<HWND> windows;
    platform::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    const DWORD self = static_cast<DWORD>(::getpid());
    int posted = 0;
    for (HWND hwnd : windows) {
        DWORD pid = 0;
        if (platform::GetWindowThreadProcessId(hwnd, &pid) == 0 || pid == self) continue;
        if (!platform::EqualsNoCase(TitleOf(hwnd), title)) continue;
        if (platform::PostMessageW(hwnd, WM_QUIT, 0, 0)) ++posted;
    }
    return posted;
}

}  // namespace ui
