#include "platform/message_route.h"

#include <unistd.h>

#include <cstring>

#include "platform/local_socket.h"
#include "platform/process_windows.h"

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

void OnDatagram(std::span<const std::byte> bytes) {
    RoutedMessage m;
    if (bytes.size() != sizeof m) return;
    std::memcpy(&m, bytes.data(), sizeof m);
    if (m.magic != RoutedMessage::kMagic) return;
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
