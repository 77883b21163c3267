// The Windows names the dialogs are written in: command ids, message and notification codes,
// show commands, message-box flags, colours. The message numbers shared with threads that have no
// dialogs live in platform/window_messages.h and are repeated here by name.
#pragma once

#include "platform/win_types.h"
#include "platform/window_messages.h"

namespace ui {

using platform::BOOL;
using platform::BYTE;
using platform::DWORD;
using platform::FALSE;
using platform::HWND;
using platform::LONG;
using platform::LPARAM;
using platform::LRESULT;
using platform::MSG;
using platform::TRUE;
using platform::UINT;
using platform::UINT_PTR;
using platform::WORD;
using platform::WPARAM;

using platform::WM_CLOSE;
using platform::WM_COMMAND;
using platform::WM_DESTROY;
using platform::WM_DROPFILES;
using platform::WM_NOTIFY;
using platform::WM_NULL;
using platform::WM_PRINT;
using platform::WM_QUIT;
using platform::WM_SIZE;
using platform::WM_SYSCOMMAND;
using platform::WM_TIMER;
using platform::WM_USER;

inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;

// Dialog command ids and DoModal results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = -1;

// Virtual keys the dialog manager cares about.
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_ESCAPE = 0x1B;

// WM_SYSCOMMAND commands.
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_RESTORE = 0xF120;

// WM_SIZE kinds.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;

// ShowWindow commands.
using platform::SW_HIDE;
using platform::SW_MINIMIZE;
using platform::SW_RESTORE;
using platform::SW_SHOW;
using platform::SW_SHOWMINIMIZED;
using platform::SW_SHOWNORMAL;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;

// Notification codes: WM_COMMAND carries BN_CLICKED and CLBN_CHKCHANGE in wParam's high word;
// WM_NOTIFY carries NM_CLICK, NM_DBLCLK and LVN_ITEMCHANGED in its NMHDR.
inline constexpr int BN_CLICKED = 0;
inline constexpr int CLBN_CHKCHANGE = 40;
inline constexpr int NM_CLICK = -2;
inline constexpr int NM_DBLCLK = -3;
inline constexpr int LVN_ITEMCHANGED = -101;

// List-view extended styles, column formats and state-image bits of the check box.
inline constexpr DWORD LVS_EX_CHECKBOXES = 0x04;
inline constexpr DWORD LVS_EX_FULLROWSELECT = 0x20;
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;
inline constexpr UINT INDEXTOSTATEIMAGEMASK(UINT i) {
    return i << 12;
}

// Message-box flags: the OK button and the icons.
inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_ICONMASK = 0xF0;

// Popup-menu flags.
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

inline constexpr WORD LOWORD(std::uintptr_t v) {
    return static_cast<WORD>(v & 0xFFFF);
}
inline constexpr WORD HIWORD(std::uintptr_t v) {
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
inline constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// A colour: red in the low byte, then green, then blue.
using COLORREF = DWORD;
inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
inline constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xFF);
}
inline constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xFF);
}
inline constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xFF);
}

}  // namespace ui
