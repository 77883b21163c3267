#include "capture_plugin/tools/viewer_session.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/event.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text_case.h"
#include "platform/window_messages.h"
#include "shared/shared_memory_readers.h"

namespace capture_tools {
namespace {

struct WindowSearch {
    platform::DWORD pid = 0;
    platform::HWND found = 0;
};

platform::BOOL FindViewerWindow(platform::HWND hwnd, platform::LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    platform::DWORD pid = 0;
    platform::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[64] = {};
    platform::GetWindowTextW(hwnd, title, 64);
    if (pid != search->pid || platform::GetWindow(hwnd, platform::GW_OWNER) != 0 ||
        !platform::EqualsNoCase(title, L"Friio HDTV Player")) {
        return platform::TRUE;
    }
    search->found = hwnd;
    return platform::FALSE;
}

}  // namespace

bool ViewerSession::HasEnded() const {
    return platform::WaitForProcess(pid_, 0) == platform::WAIT_OBJECT_0;
}

ViewerSession::~ViewerSession() {
    Close();
}

bool ViewerSession::Start(const std::wstring& viewerPath, int device) {
    return platform::CreateProcessW(viewerPath, L" -o " + std::to_wstring(device),
                                    platform::FolderOf(viewerPath), &pid_) != 0;
}

platform::HWND ViewerSession::WaitForPluginWindow(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        platform::HWND hwnd = 0;
        if (shared::ReadPluginPostHwnd(pid_, &hwnd) && platform::IsWindow(hwnd)) {
            plugin_ = hwnd;
            return hwnd;
        }
        if (HasEnded()) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

bool ViewerSession::PostToPlugin(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) {
    return plugin_ != 0 && platform::PostMessageW(plugin_, message, wParam, lParam);
}

platform::HWND ViewerSession::ViewerWindow() const {
    WindowSearch search{pid_, 0};
    platform::EnumWindows(&FindViewerWindow, reinterpret_cast<platform::LPARAM>(&search));
    return search.found;
}

bool ViewerSession::PostToViewer(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) {
    const platform::HWND viewer = ViewerWindow();
    return viewer != 0 && platform::PostMessageW(viewer, message, wParam, lParam);
}

std::optional<std::int32_t> ViewerSession::Status() const {
    std::int32_t status = 0;
    if (!shared::ReadPluginStatus(pid_, &status)) return std::nullopt;
    return status;
}

void ViewerSession::Close(int timeoutMs) {
    if (pid_ == 0) return;
    if (!HasEnded()) {
        PostToViewer(platform::WM_CLOSE);
        // Real time: a simulated clock would shorten a clock-time wait.
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!HasEnded() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!HasEnded()) platform::TerminateProcess(pid_, 1);
        platform::WaitForProcess(pid_, platform::INFINITE);
    }
    pid_ = 0;
    plugin_ = 0;
}

}  // namespace capture_tools
