// The message queue of one thread: posted messages, sent messages waiting for the thread, show and
// foreground requests, replies to the thread's own sends, the quit flag and the window timers.
// Any thread may push; only the owning thread takes. A condition variable wakes the owner's own
// loops; an eventfd wakes an outside event loop (Qt) while anything waits.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/owned_fd.h"
#include "platform/window_messages.h"

namespace platform {

enum class QueueItemKind : std::uint32_t { Posted, Sent, ShowRequest, ForegroundRequest };

// Where the result of a sent message goes: a thread of a process, and the request it waits for.
struct ReplyRoute {
    DWORD pid = 0;
    DWORD tid = 0;
    std::uint64_t requestId = 0;
};

struct QueueItem {
    QueueItemKind kind = QueueItemKind::Posted;
    MSG msg;           // ShowRequest: wParam holds the show command
    ReplyRoute reply;  // Sent only
};

// What other processes read to decide whether the thread hangs. Times are MonotonicMs().
struct ThreadActivity {
    std::atomic<std::uint64_t> lastCheckMs{0};
    std::atomic<std::uint64_t> waitingSinceMs{0};  // 0 while nothing waits
    std::atomic<std::uint32_t> pid{0};
    // Set by another process when it sends the thread a message (0 while none is on its way);
    // the thread clears it whenever it looks at its queue. A message that cannot even reach the
    // queue (the thread's process is stopped) is noted here.
    std::atomic<std::uint64_t> underwaySinceMs{0};
};
static_assert(std::atomic<std::uint64_t>::is_always_lock_free);

// A thread hangs when a message has waited for it for 5 seconds, in its queue or on its way
// there, and it has not looked at its queue for as long.
inline constexpr std::uint64_t kHungAfterMs = 5000;
bool IsActivityHung(std::uint64_t lastCheckMs, std::uint64_t waitingSinceMs,
                    std::uint64_t underwaySinceMs, std::uint64_t nowMs);

class ThreadQueue {
  public:
    explicit ThreadQueue(DWORD tid);
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    DWORD ThreadId() const { return tid_; }
    int WakeFd() const { return wakeFd_.Get(); }

    // --- any thread ---
    // False once the owning thread has ended.
    bool Push(const QueueItem& item);
    void PushReply(std::uint64_t requestId, LRESULT result);
    // Drops the window's waiting items and timers; returns its sent messages so the caller can
    // answer them.
    std::vector<QueueItem> DropWindow(HWND hwnd);
    // The thread ended: later pushes fail; returns the sent messages still waiting.
    std::vector<QueueItem> Close();
    bool IsHung() const;
    // Mirrors the activity into a file other processes read (see window_registry.h).
    void ShareActivity();

    // --- owning thread ---
    std::optional<QueueItem> TakeControl();
    std::optional<MSG> TakePosted(HWND filter, UINT filterMin, UINT filterMax);
    void SetQuit(int exitCode);
    std::optional<int> TakeQuit();
    std::optional<MSG> TakeDueTimer(HWND filter, UINT filterMin, UINT filterMax);
    // Every timer due now, each once.
    std::vector<MSG> TakeDueTimers();
    std::size_t PostedCount() const;

    std::uint64_t NewRequest();
    std::optional<LRESULT> TakeReply(std::uint64_t requestId);
    void ForgetRequest(std::uint64_t requestId);

    // Periods and due times count clock time (Clock::Elapsed).
    void SetTimer(HWND hwnd, UINT_PTR id, std::chrono::nanoseconds period);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    // The real time to wait before the next timer may be due.
    std::optional<std::chrono::nanoseconds> UntilNextTimer() const;

    // The change counter, and a wait until it moves past `seen` (or `maxWait` passes).
    std::uint64_t Generation() const;
    void WaitForChange(std::uint64_t seen, std::chrono::nanoseconds maxWait);
    // Called whenever the owner looks at its queue (for the hang test).
    void MarkChecked();
    // Resets the wake descriptor; what arrives later sets it again.
    void DrainWake();
    // Makes the wake descriptor readable without a message (an outside loop re-reads its timers).
    void Kick();

  private:
    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        std::chrono::nanoseconds period;
        std::chrono::nanoseconds due;
    };

    void SignalLocked();
    void UpdateWaitingLocked();
    // The owner looked at its queue now.
    void NoteCheck();
    ThreadActivity& Activity() const { return *activity_.load(); }

    const DWORD tid_;
    OwnedFd wakeFd_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t generation_ = 0;
    bool closed_ = false;
    std::deque<QueueItem> control_;
    std::deque<MSG> posted_;
    std::optional<int> quit_;
    std::vector<Timer> timers_;
    std::uint64_t nextRequest_ = 1;
    std::unordered_map<std::uint64_t, std::optional<LRESULT>> replies_;
    ThreadActivity localActivity_;
    std::atomic<ThreadActivity*> activity_{&localActivity_};
    void* sharedActivity_ = nullptr;
    // Where the shared activity lives; kept so that removing it at exit creates no folder again.
    std::filesystem::path activityPath_;
};

}  // namespace platform

namespace platform {

// The hang test for a thread of another process, from the activity file it shares.
bool IsThreadOfProcessHung(DWORD pid, DWORD tid);

// Notes in the shared activity of thread `tid` of process `pid` that a message is on its way to
// it, unless one is noted already: the time noted, or 0 when nothing was noted. A message that
// could not be sent after all is taken back with WithdrawMessageUnderway.
std::uint64_t NoteMessageUnderway(DWORD pid, DWORD tid);
void WithdrawMessageUnderway(DWORD pid, DWORD tid, std::uint64_t noted);

}  // namespace platform
