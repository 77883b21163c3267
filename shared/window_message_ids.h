// The private window messages between the timer, the capture plug-in and the viewer's main window.
#pragma once

#include "platform/win_types.h"

namespace shared {

using platform::UINT;

// Timer -> plug-in window.
inline constexpr UINT WM_CAPTURE_START = 0x432;
inline constexpr UINT WM_CAPTURE_CANCEL = 0x433;
inline constexpr UINT WM_VIEWER_CLOSE = 0x434;
inline constexpr UINT WM_PLUGIN_TUNE = 0x43C;       // wParam channel value, lParam service_id
inline constexpr UINT WM_PLUGIN_REC_START = 0x43D;  // wParam channel value, lParam service_id
inline constexpr UINT WM_PLUGIN_REC_STOP = 0x43E;
inline constexpr UINT WM_PLUGIN_REC_LENGTH = 0x43F;  // wParam minutes, lParam margin seconds
inline constexpr UINT WM_PLUGIN_WRITE_PROGRAM_TEXT = 0x440;

// Plug-in window to itself (worker thread, programme text, Start button).
inline constexpr UINT WM_CAPTURE_REFRESH = 0x465;
inline constexpr UINT WM_CAPTURE_DONE = 0x466;
inline constexpr UINT WM_CAPTURE_FILE_ERROR = 0x467;
inline constexpr UINT WM_CAPTURE_ARM = 0x468;
inline constexpr UINT WM_CAPTURE_CANCELLED_REC = 0x469;

// To the viewer's main window.
inline constexpr UINT WM_HOST_GET_TUNER_KIND = 0x101C;  // sent; result 2 = BS/CS tuner
inline constexpr UINT WM_HOST_REC_START = 0xFB8;        // wParam kHostRecStartFlag | minutes
inline constexpr UINT WM_HOST_REC_STOP = 0xFB9;
inline constexpr UINT WM_HOST_REC_ADJUST = 0xFC2;  // wParam 0, lParam seconds to add
inline constexpr platform::WPARAM kHostRecStartFlag = 0x50000;

}  // namespace shared
