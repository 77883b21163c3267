#include "platform/power.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/debug_output.h"
#include "platform/event.h"
#include "platform/process.h"
#include "platform/resume_watcher.h"
#include "platform/simulated_power.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// The listeners, and the watcher that finds resumes for them while anyone needs it: a listener
// added outside the power simulation, or a standby request waiting for its resume.
class ResumeNotifier {
  public:
    static ResumeNotifier& Instance() {
        static ResumeNotifier* notifier = new ResumeNotifier;  // used until the process ends
        return *notifier;
    }

    int Add(std::function<void()> listener) {
        const bool watching = !IsPowerSimulated();
        if (watching) HoldWatcher();
        const std::lock_guard lock(mutex_);
        listeners_.emplace(++lastId_, Listener{std::move(listener), watching});
        return lastId_;
    }

    // Once Remove has returned, the listener is not running and will not be called again
    // (unless Remove is called from within a listener).
    void Remove(int id) {
        bool watching = false;
        {
            const std::lock_guard delivery(deliveryMutex_);
            const std::lock_guard lock(mutex_);
            const auto it = listeners_.find(id);
            if (it == listeners_.end()) return;
            watching = it->second.watching;
            listeners_.erase(it);
        }
        if (watching) ReleaseWatcher();
    }

    void Notify() {
        const std::lock_guard delivery(deliveryMutex_);
        std::map<int, Listener> listeners;
        {
            const std::lock_guard lock(mutex_);
            ++resumes_;
            listeners = listeners_;
        }
        resumed_.notify_all();
        for (const auto& [id, listener] : listeners)
            listener.call();
    }

    std::uint64_t Resumes() {
        const std::lock_guard lock(mutex_);
        return resumes_;
    }

    // Waits (real time) until a resume after `seen` resumes, or the limit.
    void WaitForResumeAfter(std::uint64_t seen, std::chrono::seconds limit) {
        std::unique_lock lock(mutex_);
        resumed_.wait_for(lock, limit, [&] { return resumes_ != seen; });
    }

    // The watcher runs while it is held at least once.
    void HoldWatcher() {
        const std::lock_guard lock(watcherMutex_);
        if (watcherHolds_++ == 0) watcher_ = std::make_unique<ResumeWatcher>([this] { Notify(); });
    }

    void ReleaseWatcher() {
        std::unique_ptr<ResumeWatcher> ending;
        {
            const std::lock_guard lock(watcherMutex_);
            if (--watcherHolds_ == 0) ending = std::move(watcher_);
        }
        // Destroyed without the lock: it waits for the watcher thread, which may be delivering.
    }

  private:
    struct Listener {
        std::function<void()> call;
        bool watching = false;  // holds the watcher
    };

    // Held while listeners run, so that Remove waits for a delivery in progress; recursive so
    // that a listener may remove itself.
    std::recursive_mutex deliveryMutex_;
    std::mutex mutex_;
    std::condition_variable resumed_;
    std::map<int, Listener> listeners_;
    int lastId_ = 0;
    std::uint64_t resumes_ = 0;
    std::mutex watcherMutex_;
    int watcherHolds_ = 0;
    std::unique_ptr<ResumeWatcher> watcher_;
};

// Runs systemctl with the verb and waits for its answer; true when it accepted.
bool AskSystemd(const wchar_t* verb) {
    DWORD pid = 0;
    if (!CreateProcessW(L"systemctl", std::wstring(L" ") + verb, L"", &pid)) {
        OutputDebugStringW(L"power: systemctl cannot be started");
        return false;
    }
    DWORD code = 1;
    if (WaitForProcess(pid, 30000) != WAIT_OBJECT_0 || !GetExitCodeProcess(pid, &code) ||
        code != 0) {
        OutputDebugStringW(std::wstring(L"power: systemctl ") + verb + L" was refused");
        return false;
    }
    return true;
}

}  // namespace

BOOL SetSystemPowerState(BOOL suspend, BOOL /*force*/) {
    ResumeNotifier& notifier = ResumeNotifier::Instance();
    if (IsPowerSimulated()) {
        AppendSimulatedPowerRequest(suspend ? "standby" : "hibernate");
        notifier.Notify();
        return TRUE;
    }
    notifier.HoldWatcher();
    const std::uint64_t before = notifier.Resumes();
    const bool accepted = AskSystemd(suspend ? L"suspend" : L"hibernate");
    if (accepted) notifier.WaitForResumeAfter(before, 60s);
    notifier.ReleaseWatcher();
    return accepted ? TRUE : FALSE;
}

BOOL EnterSleepState(BOOL standby) {
    SetSystemPowerState(standby, FALSE);
    return TRUE;
}

int AddResumeListener(std::function<void()> listener) {
    return ResumeNotifier::Instance().Add(std::move(listener));
}

void RemoveResumeListener(int id) {
    ResumeNotifier::Instance().Remove(id);
}

}  // namespace platform
