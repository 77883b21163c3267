#include "platform/message_route.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/debug_output.h"
#include "platform/local_socket.h"
#include "platform/process_windows.h"
#include "platform/utf8.h"

namespace platform {
namespace {

bool PushToWindow(const RoutedMessage& m, QueueItemKind kind, const ReplyRoute& reply = {}) {
    const auto window = ProcessWindows::Instance().Find(m.hwnd);
    if (!window) return false;
    QueueItem item;
    item.kind = kind;
    item.msg = MSG{m.hwnd, m.message, static_cast<WPARAM>(m.wParam), static_cast<LPARAM>(m.lParam)};
    item.reply = reply;
    return window->queue->Push(item);
}

bool DeliverLocally(const RoutedMessage& m) {
    switch (m.kind) {
        case RouteKind::Post:
            return PushToWindow(m, QueueItemKind::Posted);
        case RouteKind::PostThread: {
            const auto queue = ProcessWindows::Instance().QueueOfThread(m.targetTid);
            QueueItem item;
            item.msg =
                MSG{0, m.message, static_cast<WPARAM>(m.wParam), static_cast<LPARAM>(m.lParam)};
            return queue != nullptr && queue->Push(item);
        }
        case RouteKind::Send: {
            const ReplyRoute reply{m.replyPid, m.replyTid, m.requestId};
            if (PushToWindow(m, QueueItemKind::Sent, reply)) return true;
            RouteReply(reply, 0);  // the window is gone: nobody will answer
            return false;
        }
        case RouteKind::Reply: {
            const auto queue = ProcessWindows::Instance().QueueOfThread(m.targetTid);
            if (queue != nullptr) queue->PushReply(m.requestId, static_cast<LRESULT>(m.result));
            return queue != nullptr;
        }
        case RouteKind::Show:
            return PushToWindow(m, QueueItemKind::ShowRequest);
        case RouteKind::Foreground:
            return PushToWindow(m, QueueItemKind::ForegroundRequest);
    }
    return false;
}

// A message from another process that only means something in the process that made it: its
// pointers would be followed here, or it would end a window's life.
bool DropsForeign(const RoutedMessage& m) {
    const bool carriesMessage =
        m.kind == RouteKind::Post || m.kind == RouteKind::PostThread || m.kind == RouteKind::Send;
    if (!carriesMessage || !IsProcessLocalMessage(m.message)) return false;
    char line[160];
    std::snprintf(line, sizeof line,
                  "orvandel: message 0x%04X from another process to window %08X, thread %u "
                  "dropped: it is delivered only within its own process",
                  m.message, m.hwnd, m.targetTid);
    OutputDebugStringW(Utf8ToWide(line));
    if (m.kind == RouteKind::Send) RouteReply(ReplyRoute{m.replyPid, m.replyTid, m.requestId}, 0);
    return true;
}

// Datagrams come from other processes only: this process delivers its own messages directly.
void OnDatagram(std::span<const std::byte> bytes) {
    RoutedMessage m;
    if (bytes.size() != sizeof m) return;
    std::memcpy(&m, bytes.data(), sizeof m);
    if (m.magic != RoutedMessage::kMagic || DropsForeign(m)) return;
    DeliverLocally(m);
}

LocalSocket& Socket() {
    return LocalSocket::Instance(OnDatagram);
}

}  // namespace

void EnsureReachable() {
    Socket();
}

bool RouteMessage(DWORD pid, const RoutedMessage& message) {
    if (pid == static_cast<DWORD>(::getpid())) return DeliverLocally(message);
    return Socket().SendTo(pid, std::as_bytes(std::span(&message, 1)));
}

void RouteReply(const ReplyRoute& route, LRESULT result) {
    RoutedMessage m;
    m.kind = RouteKind::Reply;
    m.targetTid = route.tid;
    m.requestId = route.requestId;
    m.result = result;
    RouteMessage(route.pid, m);
}

}  // namespace platform
