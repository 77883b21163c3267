// Windows and their message queues, within a thread, across threads and across processes.
//
// A window is a 32-bit HWND registered for the user (namespace-aware) with its process, thread,
// title, owner and visibility. Messages posted or sent to it are delivered on the thread that
// created it, to its WindowTarget. A thread without Qt runs GetMessageW/DispatchMessageW; the
// dialog layer plugs the same queue into Qt's event loop through GetThreadMessageWakeFd,
// PumpThreadMessages and RealTimeUntilNextTimer, so no thread polls.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_DROPFILES = 0x0233;
// Asks a window to draw itself. Across processes no device context can be handed over: a dialog
// then draws itself into the picture folder (ORVANDEL_SCREENSHOT_DIR) and answers 1.
inline constexpr UINT WM_PRINT = 0x0317;
inline constexpr UINT WM_USER = 0x0400;

// Messages that only mean something within the process that made them: those whose parameters
// are pointers or handles of that process (WM_NOTIFY, WM_DROPFILES, WM_COPYDATA, WM_SETTEXT, ...)
// and those that manage a window's life (WM_CREATE, WM_DESTROY, WM_NCCREATE, WM_NCDESTROY).
// Unlike Windows, which marshals some of them and passes the rest on as they are, they are
// carried only within a process: PostMessageW, PostThreadMessageW and SendMessageW refuse them
// for another process's window or thread (FALSE or 0, ERROR_MESSAGE_SYNC_ONLY), and those that
// arrive from another process anyway are dropped with a debug line (a send is answered with 0).
bool IsProcessLocalMessage(UINT message);

struct MSG {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// What a window is, to the platform: the receiver of its messages and of the show and foreground
// requests that other processes make of it.
class WindowTarget {
  public:
    virtual ~WindowTarget() = default;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // ShowWindow / SetForegroundWindow from any thread or process, carried out on the window's
    // own thread.
    virtual void OnShowRequest(int /*showCommand*/) {}
    virtual void OnForegroundRequest() {}
};

// Registers a window on the calling thread; 0 on failure. The target must outlive the window.
HWND CreateWindowHandle(WindowTarget* target, std::wstring_view title, HWND owner, bool visible);
// Unregisters; messages still queued for it are dropped, its timers are killed.
BOOL DestroyWindowHandle(HWND hwnd);

// Unlike Windows, a post to a window of another process that does not take its messages (a
// stopped process) can fail: once the kernel's queue of its message socket is full
// (net.unix.max_dgram_qlen datagrams, 10 by default) the post waits at most 2 s for room and then
// returns FALSE. A process that runs takes its datagrams at once, whatever its window thread does.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Unlike Windows, which waits for as long as the receiver takes, SendMessageW gives up after 10 s
// of real time (whatever the simulated clock) and returns 0, as it does at once when the window
// or its process ends meanwhile; the message may still be handled later.
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Across processes the same bound applies as for PostMessageW.
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Window timers on the platform clock: re-arming an id replaces it; WM_TIMER carries the id in
// wParam.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// The message loop of a thread without Qt.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
LRESULT DispatchMessageW(const MSG* msg);

// Hooks for an outside event loop (Qt) on the calling thread: the descriptor is readable while
// messages wait; PumpThreadMessages delivers every waiting message and due timer without
// blocking; RealTimeUntilNextTimer tells when the next timer is due (nullopt: none armed).
// SetTimer also makes the descriptor readable, so that the loop re-reads the next timer. In a
// pump, a WM_QUIT posted to a window goes to that window's WindowProc like any message; thread
// messages (window 0) are dropped, and PostQuitMessage's quit stays for a GetMessageW loop.
int GetThreadMessageWakeFd();
void PumpThreadMessages();
std::optional<std::chrono::milliseconds> RealTimeUntilNextTimer();

DWORD GetCurrentThreadId();

// --- Queries over the user's windows (every process; windows of dead processes never appear) ---

inline constexpr UINT GW_OWNER = 4;
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

using WNDENUMPROC = BOOL (*)(HWND hwnd, LPARAM lParam);

// Calls back for every window, most recently created first, until the callback returns FALSE.
BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);
// The owning thread's id (0 for an unknown window); *processId gets the process id when given.
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
// The title as code page 932 text, cut to maxCount - 1 bytes and terminated; the number of
// bytes copied (0 for an unknown window).
int GetWindowTextA(HWND hwnd, char* text, int maxCount);
int GetWindowTextW(HWND hwnd, wchar_t* text, int maxCount);
// GW_OWNER: the owner window (0 for an unowned window); other commands give 0.
HWND GetWindow(HWND hwnd, UINT command);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
// The most recently created window with this title, compared without regard to case (the class
// name is not used and should be null); 0 when there is none.
HWND FindWindowW(const wchar_t* className, const wchar_t* windowName);
// True when the window's thread has not looked at its queue for 5 seconds while messages wait
// for it. The 5 seconds are real time, as on Windows, even under a simulated clock: a window is
// never hung sooner because the clock runs faster.
BOOL IsHungAppWindow(HWND hwnd);

// Requests carried out on the window's own thread by its WindowTarget (any process). ShowWindow
// returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int showCommand);
BOOL SetForegroundWindow(HWND hwnd);

// For the layer that owns a window of this process: keep its title and visibility, as others
// see them, in step with the real window.
BOOL SetWindowTextW(HWND hwnd, std::wstring_view title);
BOOL SetWindowVisibleState(HWND hwnd, bool visible);

}  // namespace platform
