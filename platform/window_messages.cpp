#include "platform/window_messages.h"

#include <unistd.h>

#include <algorithm>
#include <iterator>

#include "platform/clock.h"
#include "platform/last_error.h"
#include "platform/message_route.h"
#include "platform/process_identity.h"
#include "platform/process_windows.h"

namespace platform {
namespace {

// How long SendMessageW waits for the window's thread at most (real time: a guard against a
// stuck peer, not a duration the programs rely on), and how often it checks that the window
// still lives.
constexpr std::chrono::seconds kSendTimeout(10);
constexpr std::chrono::milliseconds kSendLivenessCheck(100);
// A GetMessageW without armed timers still wakes now and then (nothing depends on it).
constexpr std::chrono::hours kIdleWait(1);

DWORD OwnPid() {
    return static_cast<DWORD>(::getpid());
}

struct Destination {
    DWORD pid = 0;
    DWORD tid = 0;
};

std::optional<Destination> Locate(HWND hwnd) {
    if (hwnd == 0) return std::nullopt;
    if (const auto window = ProcessWindows::Instance().Find(hwnd)) {
        return Destination{OwnPid(), window->queue->ThreadId()};
    }
    if (const auto record = window_registry::Find(hwnd)) {
        return Destination{record->pid, record->tid};
    }
    return std::nullopt;
}

// Routes a message to the thread of `destination`. On its way to another process it is noted in
// that thread's shared activity until the thread looks at its queue: a thread whose process
// cannot even take the message in (stopped) is then seen to hang, as one that lets its queue
// wait is.
bool RouteTo(const Destination& destination, const RoutedMessage& m) {
    if (destination.pid == OwnPid()) return RouteMessage(destination.pid, m);
    const std::uint64_t noted = NoteMessageUnderway(destination.pid, destination.tid);
    if (RouteMessage(destination.pid, m)) return true;
    WithdrawMessageUnderway(destination.pid, destination.tid, noted);
    return false;
}

RoutedMessage MakeRouted(RouteKind kind, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    RoutedMessage m;
    m.kind = kind;
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

// Carries out a sent message or a request that waits in the calling thread's queue.
void HandleControl(const QueueItem& item) {
    const auto window = ProcessWindows::Instance().Find(item.msg.hwnd);
    switch (item.kind) {
        case QueueItemKind::Sent: {
            const LRESULT result = window ? window->target->WindowProc(
                                                item.msg.message, item.msg.wParam, item.msg.lParam)
                                          : 0;
            RouteReply(item.reply, result);
            break;
        }
        case QueueItemKind::ShowRequest:
            if (window) window->target->OnShowRequest(static_cast<int>(item.msg.wParam));
            break;
        case QueueItemKind::ForegroundRequest:
            if (window) window->target->OnForegroundRequest();
            break;
        case QueueItemKind::Posted:
            break;
    }
}

void HandleAllControl(ThreadQueue& queue) {
    while (const auto item = queue.TakeControl())
        HandleControl(*item);
}

// Waits for the reply to a sent message, answering messages sent to this thread meanwhile (so
// two threads sending to each other do not lock up).
LRESULT AwaitReply(ThreadQueue& self, std::uint64_t requestId, HWND hwnd) {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + kSendTimeout;
    auto nextCheck = start + kSendLivenessCheck;
    for (;;) {
        const std::uint64_t seen = self.Generation();
        HandleAllControl(self);
        if (const auto result = self.TakeReply(requestId)) return *result;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
        if (now >= nextCheck) {
            if (!IsWindow(hwnd)) break;
            nextCheck = now + kSendLivenessCheck;
        }
        self.WaitForChange(seen,
                           std::min<std::chrono::nanoseconds>(deadline - now, kSendLivenessCheck));
    }
    self.ForgetRequest(requestId);
    return 0;
}

// Refuses a message for another process that only means something in this one.
bool RefusedForOtherProcess(DWORD pid, UINT message) {
    if (pid == OwnPid() || !IsProcessLocalMessage(message)) return false;
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return true;
}

// The window when it belongs to the calling thread.
std::optional<LocalWindow> OwnThreadWindow(HWND hwnd) {
    auto window = ProcessWindows::Instance().Find(hwnd);
    if (window && window->queue->ThreadId() == GetCurrentThreadId()) return window;
    return std::nullopt;
}

}  // namespace

bool IsProcessLocalMessage(UINT message) {
    static constexpr UINT kLocal[] = {
        WM_CREATE,     // 0x0001 CREATESTRUCT*
        WM_DESTROY,    // 0x0002
        0x000C,        // WM_SETTEXT: text pointer
        0x000D,        // WM_GETTEXT: buffer pointer
        0x0024,        // WM_GETMINMAXINFO
        0x002B,        // WM_DRAWITEM
        0x002C,        // WM_MEASUREITEM
        0x002D,        // WM_DELETEITEM
        0x0039,        // WM_COMPAREITEM
        0x0046,        // WM_WINDOWPOSCHANGING
        0x0047,        // WM_WINDOWPOSCHANGED
        0x004A,        // WM_COPYDATA
        WM_NOTIFY,     // 0x004E NMHDR*
        0x0053,        // WM_HELP
        0x007C,        // WM_STYLECHANGING
        0x007D,        // WM_STYLECHANGED
        WM_NCCREATE,   // 0x0081
        WM_NCDESTROY,  // 0x0082
        0x0083,        // WM_NCCALCSIZE
        0x0087,        // WM_GETDLGCODE: MSG*
        0x0214,        // WM_SIZING: RECT*
        0x0216,        // WM_MOVING: RECT*
        0x0220,        // WM_MDICREATE
        WM_DROPFILES,  // 0x0233 HDROP
    };
    return std::find(std::begin(kLocal), std::end(kLocal), message) != std::end(kLocal);
}

HWND CreateWindowHandle(WindowTarget* target, std::wstring_view title, HWND owner, bool visible) {
    if (target == nullptr) return 0;
    EnsureReachable();
    auto queue = ProcessWindows::Instance().CurrentQueue();
    queue->ShareActivity();
    LocalWindow window;
    window.target = target;
    window.queue = queue;
    window.record.pid = OwnPid();
    window.record.tid = queue->ThreadId();
    window.record.owner = owner;
    window.record.visible = visible;
    window.record.title = std::wstring(title);
    if (window_registry::Register(window.record) == 0) return 0;
    ProcessWindows::Instance().Add(window);
    return window.record.hwnd;
}

BOOL DestroyWindowHandle(HWND hwnd) {
    return DestroyLocalWindow(hwnd);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == 0) return PostThreadMessageW(GetCurrentThreadId(), message, wParam, lParam);
    const auto destination = Locate(hwnd);
    if (!destination || RefusedForOtherProcess(destination->pid, message)) return FALSE;
    const auto m = MakeRouted(RouteKind::Post, hwnd, message, wParam, lParam);
    return RouteTo(*destination, m) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto own = OwnThreadWindow(hwnd)) {
        return own->target->WindowProc(message, wParam, lParam);
    }
    const auto destination = Locate(hwnd);
    if (!destination || RefusedForOtherProcess(destination->pid, message)) return 0;
    if (destination->pid != OwnPid()) EnsureReachable();
    const auto self = ProcessWindows::Instance().CurrentQueue();
    auto m = MakeRouted(RouteKind::Send, hwnd, message, wParam, lParam);
    m.replyPid = OwnPid();
    m.replyTid = self->ThreadId();
    m.requestId = self->NewRequest();
    if (!RouteTo(*destination, m)) {
        self->ForgetRequest(m.requestId);
        return 0;
    }
    return AwaitReply(*self, m.requestId, hwnd);
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    auto m = MakeRouted(RouteKind::PostThread, 0, message, wParam, lParam);
    m.targetTid = threadId;
    if (ProcessWindows::Instance().QueueOfThread(threadId) != nullptr) {
        return RouteMessage(OwnPid(), m) ? TRUE : FALSE;
    }
    const DWORD pid = ProcessOfThread(threadId);
    if (pid == 0 || pid == OwnPid() || RefusedForOtherProcess(pid, message)) return FALSE;
    return RouteTo(Destination{pid, threadId}, m) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
    ProcessWindows::Instance().CurrentQueue()->SetQuit(exitCode);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    const auto window = ProcessWindows::Instance().Find(hwnd);
    if (!window) return 0;
    window->queue->SetTimer(hwnd, id, std::chrono::milliseconds(elapseMs));
    // An outside event loop re-reads RealTimeUntilNextTimer when woken.
    window->queue->Kick();
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    const auto window = ProcessWindows::Instance().Find(hwnd);
    return window && window->queue->KillTimer(hwnd, id) ? TRUE : FALSE;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    const auto queue = ProcessWindows::Instance().CurrentQueue();
    for (;;) {
        const std::uint64_t seen = queue->Generation();
        queue->MarkChecked();
        HandleAllControl(*queue);
        if (const auto posted = queue->TakePosted(hwnd, filterMin, filterMax)) {
            *msg = *posted;
            return posted->message == WM_QUIT ? FALSE : TRUE;
        }
        if (const auto exitCode = queue->TakeQuit()) {
            *msg = MSG{0, WM_QUIT, static_cast<WPARAM>(*exitCode), 0};
            return FALSE;
        }
        if (const auto timer = queue->TakeDueTimer(hwnd, filterMin, filterMax)) {
            *msg = *timer;
            return TRUE;
        }
        queue->WaitForChange(seen, queue->UntilNextTimer().value_or(kIdleWait));
    }
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == 0) return 0;
    const auto window = ProcessWindows::Instance().Find(msg->hwnd);
    return window ? window->target->WindowProc(msg->message, msg->wParam, msg->lParam) : 0;
}

int GetThreadMessageWakeFd() {
    return ProcessWindows::Instance().CurrentQueue()->WakeFd();
}

void PumpThreadMessages() {
    const auto queue = ProcessWindows::Instance().CurrentQueue();
    queue->DrainWake();
    queue->MarkChecked();
    HandleAllControl(*queue);
    // What waits now; what the handlers post meanwhile is for the next round (the descriptor
    // is readable again by then).
    for (std::size_t n = queue->PostedCount(); n > 0; --n) {
        const auto posted = queue->TakePosted(0, 0, 0);
        if (!posted) break;
        DispatchMessageW(&*posted);
        HandleAllControl(*queue);
    }
    for (const MSG& timer : queue->TakeDueTimers())
        DispatchMessageW(&timer);
}

std::optional<std::chrono::milliseconds> RealTimeUntilNextTimer() {
    const auto left = ProcessWindows::Instance().CurrentQueue()->UntilNextTimer();
    if (!left) return std::nullopt;
    return std::chrono::ceil<std::chrono::milliseconds>(*left);
}

}  // namespace platform
