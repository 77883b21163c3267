// The notification-area icon, as Shell_NotifyIcon offers it, on QSystemTrayIcon. An icon is known
// by its owner window and id. A left click posts the callback message to the owner with the id in
// wParam and WM_LBUTTONDOWN in lParam's low word; a right click likewise with WM_RBUTTONDOWN. The
// tip shows at most 127 characters.
#pragma once

#include <QIcon>
#include <QSystemTrayIcon>
#include <optional>
#include <string>

#include "ui/win_constants.h"

namespace ui {

inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;
inline constexpr UINT NIF_MESSAGE = 0x1;
inline constexpr UINT NIF_ICON = 0x2;
inline constexpr UINT NIF_TIP = 0x4;
inline constexpr std::size_t kMaxTipLength = 127;

struct NOTIFYICONDATAW {
    HWND hWnd = 0;
    UINT uID = 0;
    UINT uFlags = 0;  // which of the three fields below count (NIF_ flags)
    UINT uCallbackMessage = 0;
    QIcon hIcon;
    std::wstring szTip;
};

// NIM_ADD fails when the icon exists; NIM_MODIFY and NIM_DELETE fail when it does not.
BOOL Shell_NotifyIconW(DWORD message, const NOTIFYICONDATAW& data);

// The Qt icon behind an added icon (tests click it through its activated signal), or null.
QSystemTrayIcon* FindNotifyIcon(HWND owner, UINT id);

// Whether the desktop shows notification icons at all. Windows always does; a Linux desktop may
// have no notification area, and a window that hides itself into its icon must not do so there.
bool IsNotificationAreaAvailable();

// Tests: the answer IsNotificationAreaAvailable gives (nullopt: ask the desktop).
void SetNotificationAreaAnswer(std::optional<bool> available);

}  // namespace ui
