#include "platform/power.h"

#include <time.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/debug_output.h"
#include "platform/event.h"
#include "platform/process.h"
#include "platform/simulated_power.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Time the machine spent asleep since boot: CLOCK_BOOTTIME runs on during a sleep,
// CLOCK_MONOTONIC does not.
std::chrono::nanoseconds SleptSoFar() {
    timespec boot{}, mono{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    return std::chrono::seconds(boot.tv_sec - mono.tv_sec) +
           std::chrono::nanoseconds(boot.tv_nsec - mono.tv_nsec);
}

class ResumeNotifier {
  public:
    static ResumeNotifier& Instance() {
        static ResumeNotifier* notifier = new ResumeNotifier;  // its watcher never ends
        return *notifier;
    }

    int Add(std::function<void()> listener) {
        const std::lock_guard lock(mutex_);
        listeners_.emplace(++lastId_, std::move(listener));
        return lastId_;
    }

    void Remove(int id) {
        const std::lock_guard lock(mutex_);
        listeners_.erase(id);
    }

    void Notify() {
        std::map<int, std::function<void()>> listeners;
        {
            const std::lock_guard lock(mutex_);
            ++resumes_;
            listeners = listeners_;
        }
        resumed_.notify_all();
        for (const auto& [id, listener] : listeners)
            listener();
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

    // The watcher runs from the first use on the real machine.
    void StartWatching() {
        std::call_once(started_, [this] { std::thread([this] { Watch(); }).detach(); });
    }

  private:
    // A sleep shows as a jump in the slept time; 2 s polls make the notice at most 2 s late.
    void Watch() {
        auto slept = SleptSoFar();
        for (;;) {
            std::this_thread::sleep_for(2s);
            const auto now = SleptSoFar();
            if (now - slept > 1s) Notify();
            slept = now;
        }
    }

    std::mutex mutex_;
    std::condition_variable resumed_;
    std::map<int, std::function<void()>> listeners_;
    int lastId_ = 0;
    std::uint64_t resumes_ = 0;
    std::once_flag started_;
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
    notifier.StartWatching();
    const std::uint64_t before = notifier.Resumes();
    if (!AskSystemd(suspend ? L"suspend" : L"hibernate")) return FALSE;
    notifier.WaitForResumeAfter(before, 60s);
    return TRUE;
}

BOOL EnterSleepState(BOOL standby) {
    SetSystemPowerState(standby, FALSE);
    return TRUE;
}

int AddResumeListener(std::function<void()> listener) {
    ResumeNotifier& notifier = ResumeNotifier::Instance();
    if (!IsPowerSimulated()) notifier.StartWatching();
    return notifier.Add(std::move(listener));
}

void RemoveResumeListener(int id) {
    ResumeNotifier::Instance().Remove(id);
}

}  // namespace platform
