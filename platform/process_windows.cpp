#include "platform/process_windows.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

// Owns the calling thread's queue; its destruction at thread exit ends the queue.
struct ThreadQueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~ThreadQueueHolder() {
        if (queue != nullptr) ProcessWindows::Instance().ThreadEnded(queue->ThreadId());
    }
};

thread_local ThreadQueueHolder currentQueue;

void AnswerWithZero(const std::vector<QueueItem>& sent) {
    for (const QueueItem& item : sent)
        RouteReply(item.reply, 0);
}

}  // namespace

DWORD GetCurrentThreadId() {
    thread_local const DWORD tid = static_cast<DWORD>(::syscall(SYS_gettid));
    return tid;
}

ProcessWindows& ProcessWindows::Instance() {
    // Never destroyed: threads may end after static destruction has begun.
    static ProcessWindows* const instance = new ProcessWindows;
    return *instance;
}

std::shared_ptr<ThreadQueue> ProcessWindows::CurrentQueue() {
    if (currentQueue.queue == nullptr) {
        const DWORD tid = GetCurrentThreadId();
        auto queue = std::make_shared<ThreadQueue>(tid);
        const std::lock_guard lock(mutex_);
        queues_[tid] = queue;
        currentQueue.queue = std::move(queue);
    }
    return currentQueue.queue;
}

std::shared_ptr<ThreadQueue> ProcessWindows::QueueOfThread(DWORD tid) {
    const std::lock_guard lock(mutex_);
    const auto it = queues_.find(tid);
    return it == queues_.end() ? nullptr : it->second;
}

void ProcessWindows::Add(const LocalWindow& window) {
    const std::lock_guard lock(mutex_);
    windows_[window.record.hwnd] = window;
}

std::optional<LocalWindow> ProcessWindows::Find(HWND hwnd) {
    const std::lock_guard lock(mutex_);
    const auto it = windows_.find(hwnd);
    if (it == windows_.end()) return std::nullopt;
    return it->second;
}

std::optional<LocalWindow> ProcessWindows::Remove(HWND hwnd) {
    const std::lock_guard lock(mutex_);
    const auto it = windows_.find(hwnd);
    if (it == windows_.end()) return std::nullopt;
    LocalWindow window = std::move(it->second);
    windows_.erase(it);
    return window;
}

bool ProcessWindows::UpdateRecord(const WindowRecord& record) {
    {
        const std::lock_guard lock(mutex_);
        const auto it = windows_.find(record.hwnd);
        if (it == windows_.end()) return false;
        it->second.record = record;
    }
    return window_registry::Update(record);
}

std::vector<HWND> ProcessWindows::WindowsOfThread(DWORD tid) {
    const std::lock_guard lock(mutex_);
    std::vector<HWND> out;
    for (const auto& [hwnd, window] : windows_) {
        if (window.queue->ThreadId() == tid) out.push_back(hwnd);
    }
    return out;
}

void ProcessWindows::ThreadEnded(DWORD tid) {
    for (const HWND hwnd : WindowsOfThread(tid))
        DestroyLocalWindow(hwnd);
    std::shared_ptr<ThreadQueue> queue;
    {
        const std::lock_guard lock(mutex_);
        const auto it = queues_.find(tid);
        if (it == queues_.end()) return;
        queue = it->second;
        queues_.erase(it);
    }
    AnswerWithZero(queue->Close());
}

BOOL DestroyLocalWindow(HWND hwnd) {
    const auto window = ProcessWindows::Instance().Remove(hwnd);
    if (!window) return FALSE;
    window_registry::Unregister(hwnd);
    AnswerWithZero(window->queue->DropWindow(hwnd));
    return TRUE;
}

}  // namespace platform
