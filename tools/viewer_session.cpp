#include "tools/viewer_session.h"

#include <chrono>
#include <thread>

#include "platform/event.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/window_messages.h"
#include "shared/friio_view_window.h"
#include "shared/shared_memory_readers.h"

namespace tools {

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
        if (shared::ReadPluginPostHwnd(pid_, &hwnd) && platform::IsWindow(hwnd)) return hwnd;
        if (HasEnded()) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

platform::HWND ViewerSession::ViewerWindow() const {
    return shared::FindFriioViewMainWindow(pid_);
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
}

}  // namespace tools
