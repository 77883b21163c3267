// Window-enumeration callbacks (platform::EnumWindows) that act on the main window of one viewer
// process (shared/friio_view_window.h): closing it, and asking it for its tuner kind.
#pragma once

#include "platform/event.h"
#include "platform/win_types.h"

namespace timer_core {

// What CloseFriioViewWindowProc is given through the enumeration's lParam.
struct FriioViewCloseRequest {
    platform::DWORD processId = 0;
    // Cuts the pause between the two messages short (the close is posted all the same), so that
    // a thread being stopped is not held up; null: the full pause.
    const platform::Event* stop = nullptr;
};

// lParam: a FriioViewCloseRequest*. On the viewer's main window it posts the viewer's
// stop-recording message (0xFB9, 0, 0), pauses 1000 ms and posts WM_CLOSE; 0 then (the
// enumeration stops at the match), 1 for every other window.
platform::BOOL CloseFriioViewWindowProc(platform::HWND hwnd, platform::LPARAM lParam);

// lParam: a platform::DWORD* holding the viewer's process id, which receives the reply. On the
// viewer's main window it sends the tuner-kind question (0x101C, 0, 0) and stores the reply
// (2 = BS/CS tuner, 1 = terrestrial); 0 then, 1 for every other window.
platform::BOOL QueryFriioViewWindowProc(platform::HWND hwnd, platform::LPARAM lParam);

// The enumerations with these callbacks, for the viewer process `pid`.
void CloseFriioViewWindow(platform::DWORD pid, const platform::Event* stop = nullptr);
// The reply; 0 when the viewer has no main window (yet) or did not answer. The question is sent
// (SendMessageW), which waits for the viewer's thread at most 10 s of real time: a caller whose
// stop event is set meanwhile is held up that long at worst, never longer.
platform::DWORD QueryFriioViewWindow(platform::DWORD pid);

}  // namespace timer_core
