// The windows and message queues of this process. A thread gets its queue on first use; when the
// thread ends, its windows are destroyed and the senders still waiting on it get 0.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/message_queue.h"
#include "platform/window_registry.h"

namespace platform {

struct LocalWindow {
    WindowTarget* target = nullptr;
    std::shared_ptr<ThreadQueue> queue;
    WindowRecord record;
};

class ProcessWindows {
  public:
    static ProcessWindows& Instance();

    // The calling thread's queue, created on first use.
    std::shared_ptr<ThreadQueue> CurrentQueue();
    // The queue of a live thread of this process that has one.
    std::shared_ptr<ThreadQueue> QueueOfThread(DWORD tid);

    void Add(const LocalWindow& window);
    std::optional<LocalWindow> Find(HWND hwnd);
    // Removes the window from the table and returns it.
    std::optional<LocalWindow> Remove(HWND hwnd);
    bool UpdateRecord(const WindowRecord& record);
    std::vector<HWND> WindowsOfThread(DWORD tid);

    // Called from the thread's exit.
    void ThreadEnded(DWORD tid);

  private:
    ProcessWindows() = default;
    std::mutex mutex_;
    std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues_;
    std::unordered_map<HWND, LocalWindow> windows_;
};

// Sends the result of a sent message back to the thread waiting for it, in this process or another.
void RouteReply(const ReplyRoute& route, LRESULT result);

// Destroys a window of this process: unregisters it, drops what waits for it, answers its sent
// messages with 0.
BOOL DestroyLocalWindow(HWND hwnd);

}  // namespace platform
