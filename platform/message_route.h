// How a message reaches the thread that owns its window: within this process straight into the
// thread's queue, to another process as one datagram over its socket (local_socket.h).
#pragma once

#include <cstdint>

#include "platform/message_queue.h"

namespace platform {

enum class RouteKind : std::uint32_t {
    Post = 1,    // posted to a window
    PostThread,  // posted to a thread
    Send,        // sent to a window; the result goes back as Reply
    Reply,
    Show,  // ShowWindow request (wParam: command)
    Foreground,
};

// The datagram, in the machine's byte order (both ends are processes of this machine).
struct RoutedMessage {
    std::uint32_t magic = kMagic;
    RouteKind kind = RouteKind::Post;
    HWND hwnd = 0;
    UINT message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    DWORD targetTid = 0;  // PostThread, Reply
    DWORD replyPid = 0;   // Send
    DWORD replyTid = 0;   // Send
    std::uint32_t reserved = 0;
    std::uint64_t requestId = 0;  // Send, Reply
    std::int64_t result = 0;      // Reply

    static constexpr std::uint32_t kMagic = 0x47534D4F;  // "OMSG"
};
static_assert(sizeof(RoutedMessage) == 64);

// Delivers to the process `pid` (this process: directly). False when it cannot be reached or the
// target is unknown here.
bool RouteMessage(DWORD pid, const RoutedMessage& message);

// Binds this process's socket so that others can reach its windows and replies can come back.
void EnsureReachable();

}  // namespace platform
