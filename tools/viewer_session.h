// One FriioView process driven from outside as the timer drives it: started on a device, its
// plug-in window found through the plug-in's PostHwnd object, the capture Status read, and the
// viewer closed again. Messages to the plug-in go through the timer's own posting operations
// (shared/plugin_posts.h) with Pid().
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win_types.h"

namespace tools {

class ViewerSession {
  public:
    ViewerSession() = default;
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    // Starts "<viewer> -o <device>" in the viewer's folder; false when it cannot be started.
    bool Start(const std::wstring& viewerPath, int device);
    platform::DWORD Pid() const { return pid_; }

    // Waits (real milliseconds) until the plug-in has published its window; 0 on time-out.
    platform::HWND WaitForPluginWindow(int timeoutMs);
    // The viewer's own main window ("Friio HDTV Player" of this process); 0 when not found.
    platform::HWND ViewerWindow() const;
    bool PostToViewer(platform::UINT message, platform::WPARAM wParam = 0,
                      platform::LPARAM lParam = 0);

    // The capture Status the plug-in publishes; nullopt while it cannot be read.
    std::optional<std::int32_t> Status() const;

    // Asks the viewer to close and waits for it; ends it when it does not go in time.
    void Close(int timeoutMs = 10000);

  private:
    bool HasEnded() const;

    platform::DWORD pid_ = 0;
};

}  // namespace tools
