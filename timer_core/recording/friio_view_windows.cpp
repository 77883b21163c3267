#include "timer_core/recording/friio_view_windows.h"

#include "platform/window_messages.h"
#include "shared/friio_view_window.h"
#include "shared/window_message_ids.h"
#include "timer_core/recording/stoppable_sleep.h"

namespace timer_core {
namespace {

// Time for the viewer to finish the recording before it is asked to close.
constexpr platform::DWORD kStopBeforeCloseMs = 1000;

}  // namespace

platform::BOOL CloseFriioViewWindowProc(platform::HWND hwnd, platform::LPARAM lParam) {
    const auto* request = reinterpret_cast<const FriioViewCloseRequest*>(lParam);
    if (!shared::IsFriioViewMainWindow(hwnd, request->processId)) return platform::TRUE;
    platform::PostMessageW(hwnd, shared::WM_HOST_REC_STOP, 0, 0);
    SleepUnlessStopped(kStopBeforeCloseMs, request->stop);
    platform::PostMessageW(hwnd, platform::WM_CLOSE, 0, 0);
    return platform::FALSE;
}

platform::BOOL QueryFriioViewWindowProc(platform::HWND hwnd, platform::LPARAM lParam) {
    auto* value = reinterpret_cast<platform::DWORD*>(lParam);
    if (!shared::IsFriioViewMainWindow(hwnd, *value)) return platform::TRUE;
    *value = static_cast<platform::DWORD>(
        platform::SendMessageW(hwnd, shared::WM_HOST_GET_TUNER_KIND, 0, 0));
    return platform::FALSE;
}

void CloseFriioViewWindow(platform::DWORD pid, const platform::Event* stop) {
    FriioViewCloseRequest request{pid, stop};
    platform::EnumWindows(&CloseFriioViewWindowProc, reinterpret_cast<platform::LPARAM>(&request));
}

platform::DWORD QueryFriioViewWindow(platform::DWORD pid) {
    platform::DWORD value = pid;
    platform::EnumWindows(&QueryFriioViewWindowProc, reinterpret_cast<platform::LPARAM>(&value));
    // A reply is 0, 1 or 2; a process id that came back unchanged means no window answered.
    return value == pid ? 0 : value;
}

}  // namespace timer_core
