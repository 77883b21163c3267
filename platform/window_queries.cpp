// The Windows calls that look at the user's windows through the registry, and the show and
// foreground requests.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/message_route.h"
#include "platform/process_windows.h"
#include "platform/text_case.h"
#include "platform/window_messages.h"

namespace platform {
namespace {

std::optional<WindowRecord> RecordOf(HWND hwnd) {
    if (const auto window = ProcessWindows::Instance().Find(hwnd)) return window->record;
    return window_registry::Find(hwnd);
}

// Delivers a show or foreground request; on the owning thread it is carried out at once.
BOOL Request(HWND hwnd, RouteKind kind, int showCommand) {
    if (const auto window = ProcessWindows::Instance().Find(hwnd);
        window && window->queue->ThreadId() == GetCurrentThreadId()) {
        if (kind == RouteKind::Show) {
            window->target->OnShowRequest(showCommand);
        } else {
            window->target->OnForegroundRequest();
        }
        return TRUE;
    }
    const auto record = RecordOf(hwnd);
    if (!record) return FALSE;
    RoutedMessage m;
    m.kind = kind;
    m.hwnd = hwnd;
    m.wParam = static_cast<std::uint64_t>(showCommand);
    return RouteMessage(record->pid, m) ? TRUE : FALSE;
}

BOOL UpdateOwnRecord(HWND hwnd, const std::function<void(WindowRecord&)>& change) {
    auto window = ProcessWindows::Instance().Find(hwnd);
    if (!window) return FALSE;
    change(window->record);
    return ProcessWindows::Instance().UpdateRecord(window->record) ? TRUE : FALSE;
}

}  // namespace

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
    if (callback == nullptr) return FALSE;
    for (const WindowRecord& record : window_registry::All()) {
        if (!callback(record.hwnd, lParam)) break;
    }
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    const auto record = RecordOf(hwnd);
    if (!record) return 0;
    if (processId != nullptr) *processId = record->pid;
    return record->tid;
}

int GetWindowTextA(HWND hwnd, char* text, int maxCount) {
    if (text == nullptr || maxCount <= 0) return 0;
    text[0] = '\0';
    const auto record = RecordOf(hwnd);
    if (!record) return 0;
    const std::size_t n =
        std::min(record->narrowTitle.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(text, record->narrowTitle.data(), n);
    text[n] = '\0';
    return static_cast<int>(n);
}

int GetWindowTextW(HWND hwnd, wchar_t* text, int maxCount) {
    if (text == nullptr || maxCount <= 0) return 0;
    text[0] = L'\0';
    const auto record = RecordOf(hwnd);
    if (!record) return 0;
    const std::size_t n = std::min(record->title.size(), static_cast<std::size_t>(maxCount - 1));
    std::wmemcpy(text, record->title.data(), n);
    text[n] = L'\0';
    return static_cast<int>(n);
}

HWND GetWindow(HWND hwnd, UINT command) {
    if (command != GW_OWNER) return 0;
    const auto record = RecordOf(hwnd);
    return record ? record->owner : 0;
}

BOOL IsWindow(HWND hwnd) {
    return RecordOf(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
    const auto record = RecordOf(hwnd);
    return record && record->visible ? TRUE : FALSE;
}

HWND FindWindowW(const wchar_t* /*className*/, const wchar_t* windowName) {
    if (windowName == nullptr) return 0;
    for (const WindowRecord& record : window_registry::All()) {
        if (EqualsNoCase(record.title, windowName)) return record.hwnd;
    }
    return 0;
}

BOOL IsHungAppWindow(HWND hwnd) {
    if (const auto window = ProcessWindows::Instance().Find(hwnd)) {
        return window->queue->IsHung() ? TRUE : FALSE;
    }
    const auto record = window_registry::Find(hwnd);
    return record && IsThreadOfProcessHung(record->pid, record->tid) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hwnd, int showCommand) {
    const BOOL wasVisible = IsWindowVisible(hwnd);
    Request(hwnd, RouteKind::Show, showCommand);
    return wasVisible;
}

BOOL SetForegroundWindow(HWND hwnd) {
    return Request(hwnd, RouteKind::Foreground, 0);
}

BOOL SetWindowTextW(HWND hwnd, std::wstring_view title) {
    return UpdateOwnRecord(hwnd, [&](WindowRecord& record) { record.title = std::wstring(title); });
}

BOOL SetWindowVisibleState(HWND hwnd, bool visible) {
    return UpdateOwnRecord(hwnd, [&](WindowRecord& record) { record.visible = visible; });
}

}  // namespace platform
