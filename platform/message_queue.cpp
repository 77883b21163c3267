#include "platform/message_queue.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/clock.h"
#include "platform/process_identity.h"
#include "platform/runtime_folder.h"

namespace platform {
namespace {

bool Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax) {
    if (filter != 0 && msg.hwnd != filter) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// The activity a thread shares with other processes: the file named by its id, holding the
// ThreadActivity; the process id in it tells whose it is.
struct RawActivity {
    std::uint64_t lastCheckMs;
    std::uint64_t waitingSinceMs;
    std::uint32_t pid;
    std::uint64_t underwaySinceMs;
};
static_assert(sizeof(RawActivity) == sizeof(ThreadActivity));

// Removes, once per folder and process, the activity files of threads that ended without
// removing them (their process was killed).
void SweepOnce(const std::filesystem::path& folder) {
    if (!FirstUseInProcess(folder)) return;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const auto path = folder / entry->d_name;
        const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        RawActivity raw{};
        if (!fd.Valid() ||
            ::pread(fd.Get(), &raw, sizeof raw, 0) != static_cast<ssize_t>(sizeof raw))
            continue;
        // The thread named by the file must still belong to the process named in it (process
        // ids come round again; a thread id within the same process hardly).
        const auto tid = static_cast<DWORD>(std::strtoul(entry->d_name, nullptr, 10));
        if (ProcessOfThread(tid) != raw.pid) ::unlink(path.c_str());
    }
    ::closedir(dir);
}

// Empty when the runtime folder is refused.
std::filesystem::path ActivityPath(DWORD tid) {
    const auto folder = RuntimeSubfolder("threads");
    if (folder.empty()) return {};
    SweepOnce(folder);
    return folder / std::to_string(tid);
}

// Windows never fires a window timer faster than every 10 ms. A fast simulated clock keeps that
// bound in real time, so that a short timer does not become a busy loop.
constexpr std::chrono::milliseconds kMinimumTimerPeriod(10);

}  // namespace

bool IsActivityHung(std::uint64_t lastCheckMs, std::uint64_t waitingSinceMs,
                    std::uint64_t underwaySinceMs, std::uint64_t nowMs) {
    std::uint64_t waiting = waitingSinceMs;
    if (underwaySinceMs != 0 && (waiting == 0 || underwaySinceMs < waiting))
        waiting = underwaySinceMs;
    if (waiting == 0) return false;
    const std::uint64_t since = std::max(lastCheckMs, waiting);
    return nowMs >= since && nowMs - since >= kHungAfterMs;
}

bool IsThreadOfProcessHung(DWORD pid, DWORD tid) {
    const auto path = ActivityPath(tid);
    if (path.empty()) return false;
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return false;
    RawActivity raw{};
    if (::pread(fd.Get(), &raw, sizeof raw, 0) != static_cast<ssize_t>(sizeof raw)) return false;
    if (raw.pid != pid) return false;
    return IsActivityHung(raw.lastCheckMs, raw.waitingSinceMs, raw.underwaySinceMs, MonotonicMs());
}

namespace {

// The shared activity of another process's thread, mapped for as long as this object lives;
// null when that thread shares none.
class OtherActivity {
  public:
    OtherActivity(DWORD pid, DWORD tid) {
        const auto path = ActivityPath(tid);
        if (path.empty()) return;
        const OwnedFd fd(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {};
        if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 ||
            info.st_size < static_cast<off_t>(sizeof(ThreadActivity)))
            return;
        void* mem = ::mmap(nullptr, sizeof(ThreadActivity), PROT_READ | PROT_WRITE, MAP_SHARED,
                           fd.Get(), 0);
        if (mem == MAP_FAILED) return;
        mem_ = mem;
        // The owner built the object in the file; a file of another process is left alone.
        if (Get()->pid.load() != pid) Unmap();
    }
    ~OtherActivity() { Unmap(); }
    OtherActivity(const OtherActivity&) = delete;
    OtherActivity& operator=(const OtherActivity&) = delete;

    ThreadActivity* Get() const { return static_cast<ThreadActivity*>(mem_); }

  private:
    void Unmap() {
        if (mem_ != nullptr) ::munmap(mem_, sizeof(ThreadActivity));
        mem_ = nullptr;
    }
    void* mem_ = nullptr;
};

}  // namespace

std::uint64_t NoteMessageUnderway(DWORD pid, DWORD tid) {
    const OtherActivity activity(pid, tid);
    if (activity.Get() == nullptr) return 0;
    std::uint64_t none = 0;
    const std::uint64_t now = std::max<std::uint64_t>(MonotonicMs(), 1);
    return activity.Get()->underwaySinceMs.compare_exchange_strong(none, now) ? now : 0;
}

void WithdrawMessageUnderway(DWORD pid, DWORD tid, std::uint64_t noted) {
    if (noted == 0) return;
    const OtherActivity activity(pid, tid);
    if (activity.Get() == nullptr) return;
    activity.Get()->underwaySinceMs.compare_exchange_strong(noted, 0);
}

ThreadQueue::ThreadQueue(DWORD tid) : tid_(tid), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    localActivity_.lastCheckMs = MonotonicMs();
    localActivity_.pid = static_cast<std::uint32_t>(::getpid());
}

ThreadQueue::~ThreadQueue() {
    if (sharedActivity_ != nullptr) {
        ::munmap(sharedActivity_, sizeof(ThreadActivity));
        ::unlink(activityPath_.c_str());
    }
}

void ThreadQueue::ShareActivity() {
    const std::lock_guard lock(mutex_);
    if (sharedActivity_ != nullptr) return;
    activityPath_ = ActivityPath(tid_);
    if (activityPath_.empty()) return;
    const OwnedFd fd(OpenPrivateFile(activityPath_, O_RDWR | O_CREAT | O_TRUNC));
    if (!fd.Valid() || ::ftruncate(fd.Get(), sizeof(ThreadActivity)) != 0) return;
    void* mem =
        ::mmap(nullptr, sizeof(ThreadActivity), PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (mem == MAP_FAILED) return;
    sharedActivity_ = mem;
    auto* shared = new (mem) ThreadActivity;
    shared->lastCheckMs = localActivity_.lastCheckMs.load();
    shared->waitingSinceMs = localActivity_.waitingSinceMs.load();
    shared->underwaySinceMs = 0;
    shared->pid = localActivity_.pid.load();
    activity_ = shared;
}

bool ThreadQueue::IsHung() const {
    const ThreadActivity& activity = Activity();
    return IsActivityHung(activity.lastCheckMs, activity.waitingSinceMs, activity.underwaySinceMs,
                          MonotonicMs());
}

void ThreadQueue::NoteCheck() {
    ThreadActivity& activity = Activity();
    activity.lastCheckMs = MonotonicMs();
    activity.underwaySinceMs = 0;
}

void ThreadQueue::SignalLocked() {
    ++generation_;
    changed_.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_.Get(), &one, sizeof one);
}

void ThreadQueue::UpdateWaitingLocked() {
    ThreadActivity& activity = Activity();
    const bool waiting = !control_.empty() || !posted_.empty();
    if (!waiting) {
        activity.waitingSinceMs = 0;
    } else if (activity.waitingSinceMs == 0) {
        activity.waitingSinceMs = MonotonicMs();
    }
}

bool ThreadQueue::Push(const QueueItem& item) {
    const std::lock_guard lock(mutex_);
    if (closed_) return false;
    if (item.kind == QueueItemKind::Posted) {
        posted_.push_back(item.msg);
    } else {
        control_.push_back(item);
    }
    UpdateWaitingLocked();
    SignalLocked();
    return true;
}

void ThreadQueue::PushReply(std::uint64_t requestId, LRESULT result) {
    const std::lock_guard lock(mutex_);
    const auto it = replies_.find(requestId);
    if (it == replies_.end()) return;  // the sender gave up waiting
    it->second = result;
    SignalLocked();
}

std::vector<QueueItem> ThreadQueue::DropWindow(HWND hwnd) {
    const std::lock_guard lock(mutex_);
    std::vector<QueueItem> sent;
    std::erase_if(control_, [&](const QueueItem& item) {
        if (item.msg.hwnd != hwnd) return false;
        if (item.kind == QueueItemKind::Sent) sent.push_back(item);
        return true;
    });
    std::erase_if(posted_, [&](const MSG& msg) { return msg.hwnd == hwnd; });
    std::erase_if(timers_, [&](const Timer& timer) { return timer.hwnd == hwnd; });
    UpdateWaitingLocked();
    return sent;
}

std::vector<QueueItem> ThreadQueue::Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    std::vector<QueueItem> sent;
    for (const QueueItem& item : control_) {
        if (item.kind == QueueItemKind::Sent) sent.push_back(item);
    }
    control_.clear();
    posted_.clear();
    timers_.clear();
    UpdateWaitingLocked();
    return sent;
}

std::optional<QueueItem> ThreadQueue::TakeControl() {
    const std::lock_guard lock(mutex_);
    if (control_.empty()) return std::nullopt;
    QueueItem item = control_.front();
    control_.pop_front();
    NoteCheck();
    UpdateWaitingLocked();
    return item;
}

std::optional<MSG> ThreadQueue::TakePosted(HWND filter, UINT filterMin, UINT filterMax) {
    const std::lock_guard lock(mutex_);
    const auto it = std::find_if(posted_.begin(), posted_.end(), [&](const MSG& msg) {
        return msg.message == WM_QUIT || Matches(msg, filter, filterMin, filterMax);
    });
    if (it == posted_.end()) return std::nullopt;
    const MSG msg = *it;
    posted_.erase(it);
    NoteCheck();
    UpdateWaitingLocked();
    return msg;
}

void ThreadQueue::SetQuit(int exitCode) {
    const std::lock_guard lock(mutex_);
    quit_ = exitCode;
    SignalLocked();
}

std::optional<int> ThreadQueue::TakeQuit() {
    const std::lock_guard lock(mutex_);
    return std::exchange(quit_, std::nullopt);
}

std::optional<MSG> ThreadQueue::TakeDueTimer(HWND filter, UINT filterMin, UINT filterMax) {
    const std::lock_guard lock(mutex_);
    const auto now = Clock::Instance().Elapsed();
    for (Timer& timer : timers_) {
        const MSG msg{timer.hwnd, WM_TIMER, timer.id, 0};
        if (timer.due > now || !Matches(msg, filter, filterMin, filterMax)) continue;
        // One WM_TIMER however late the thread is; the next one is a full period away.
        timer.due = now + timer.period;
        return msg;
    }
    return std::nullopt;
}

std::vector<MSG> ThreadQueue::TakeDueTimers() {
    std::vector<MSG> due;
    while (const auto timer = TakeDueTimer(0, 0, 0))
        due.push_back(*timer);
    return due;
}

std::size_t ThreadQueue::PostedCount() const {
    const std::lock_guard lock(mutex_);
    return posted_.size();
}

std::uint64_t ThreadQueue::NewRequest() {
    const std::lock_guard lock(mutex_);
    const std::uint64_t id = nextRequest_++;
    replies_.emplace(id, std::nullopt);
    return id;
}

std::optional<LRESULT> ThreadQueue::TakeReply(std::uint64_t requestId) {
    const std::lock_guard lock(mutex_);
    const auto it = replies_.find(requestId);
    if (it == replies_.end() || !it->second) return std::nullopt;
    const LRESULT result = *it->second;
    replies_.erase(it);
    return result;
}

void ThreadQueue::ForgetRequest(std::uint64_t requestId) {
    const std::lock_guard lock(mutex_);
    replies_.erase(requestId);
}

void ThreadQueue::SetTimer(HWND hwnd, UINT_PTR id, std::chrono::nanoseconds period) {
    const Clock& clock = Clock::Instance();
    const auto shortest = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double, std::nano>(kMinimumTimerPeriod) * clock.Rate());
    period = std::max(period, shortest);
    const std::lock_guard lock(mutex_);
    std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    timers_.push_back(Timer{hwnd, id, period, clock.Elapsed() + period});
}

bool ThreadQueue::KillTimer(HWND hwnd, UINT_PTR id) {
    const std::lock_guard lock(mutex_);
    return std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}

std::optional<std::chrono::nanoseconds> ThreadQueue::UntilNextTimer() const {
    const std::lock_guard lock(mutex_);
    if (timers_.empty()) return std::nullopt;
    const auto next =
        std::min_element(timers_.begin(), timers_.end(),
                         [](const Timer& a, const Timer& b) { return a.due < b.due; });
    const Clock& clock = Clock::Instance();
    return clock.RealWait(next->due - clock.Elapsed());
}

std::uint64_t ThreadQueue::Generation() const {
    const std::lock_guard lock(mutex_);
    return generation_;
}

void ThreadQueue::WaitForChange(std::uint64_t seen, std::chrono::nanoseconds maxWait) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, maxWait, [&] { return generation_ != seen; });
}

void ThreadQueue::MarkChecked() {
    NoteCheck();
}

void ThreadQueue::DrainWake() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = ::read(wakeFd_.Get(), &value, sizeof value);
}

void ThreadQueue::Kick() {
    const std::lock_guard lock(mutex_);
    SignalLocked();
}

}  // namespace platform
