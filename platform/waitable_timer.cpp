#include "platform/waitable_timer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/last_error.h"
#include "platform/simulated_power.h"

namespace platform {

struct WaitableTimer::State {
    std::wstring name;
    Event signal{false, false};
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t generation = 0;  // each arming and cancelling starts a new one
    bool wakePending = false;      // a resume timer is armed and has not fired
    int alarmFd = -1;
    std::thread waiter;
};

namespace {

using State = WaitableTimer::State;

// Real time between re-checks of the due time, so that a moved or simulated clock is followed.
std::chrono::milliseconds RecheckPeriod() {
    return Clock::Instance().IsSimulated() ? std::chrono::milliseconds(200)
                                           : std::chrono::milliseconds(10000);
}

// Clock milliseconds until the due time: a relative due time counts on the tick count, an
// absolute one on local time.
struct DueTime {
    bool relative = true;
    std::uint64_t tickMs = 0;
    std::uint64_t local = 0;
    std::uint64_t askedLocal = 0;  // the local time when the arming was asked for

    std::int64_t RemainingMs() const {
        const Clock& clock = Clock::Instance();
        if (relative) return static_cast<std::int64_t>(tickMs - clock.TickMs());
        return (static_cast<std::int64_t>(local) - static_cast<std::int64_t>(clock.NowLocal())) /
               static_cast<std::int64_t>(kFileTimePerMillisecond);
    }
};

DueTime MakeDueTime(std::int64_t dueTime) {
    const Clock& clock = Clock::Instance();
    DueTime due;
    due.relative = dueTime < 0;
    due.askedLocal = clock.NowLocal();
    if (due.relative) {
        const auto span = static_cast<std::uint64_t>(-dueTime);
        due.tickMs = clock.TickMs() + span / kFileTimePerMillisecond;
        due.local = due.askedLocal + span;
    } else {
        due.local = static_cast<std::uint64_t>(dueTime);
    }
    return due;
}

void RunWaiter(const std::shared_ptr<State>& state, std::uint64_t generation, DueTime due) {
    std::unique_lock lock(state->mutex);
    for (;;) {
        if (state->generation != generation) return;
        const std::int64_t remaining = due.RemainingMs();
        if (remaining <= 0) break;
        const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(
            Clock::Instance().RealWait(std::chrono::milliseconds(remaining)));
        state->changed.wait_for(lock,
                                std::min(real + std::chrono::milliseconds(1), RecheckPeriod()));
    }
    state->wakePending = false;
    SetEvent(state->signal);
}

// Arms the machine's wake alarm; -1 when Linux refuses it.
int ArmWakeAlarm(std::uint64_t local) {
    const int fd = ::timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC);
    if (fd < 0) return -1;
    itimerspec when{};
    when.it_value = LocalToRealtime(local);
    if (::timerfd_settime(fd, TFD_TIMER_ABSTIME, &when, nullptr) == 0) return fd;
    ::close(fd);
    return -1;
}

void ReportNoWakeUp(const std::wstring& name, std::wstring_view why) {
    OutputDebugStringW(L"wake timer " + name + L": " + std::wstring(why) +
                       L"; it fires but cannot wake the machine");
}

// Arms what wakes the machine at the due time, under the state's lock: true when the machine
// will wake. Under the power simulation the arming (or its simulated refusal) is written to the
// simulation file instead, stamped with the moment it was asked for: on a fast simulated clock
// the moment of the write may already lie seconds later.
bool ArmResume(State& state, const DueTime& when) {
    const std::uint64_t local = when.local;
    const std::string due = FormatLocalTime(local);
    if (IsWakeAlarmRefusalSimulated()) {
        if (IsPowerSimulated()) AppendSimulatedPowerRequest("wake-refused " + due, when.askedLocal);
        ReportNoWakeUp(state.name, L"CLOCK_REALTIME_ALARM refused (simulated)");
        return false;
    }
    if (IsPowerSimulated()) {
        AppendSimulatedPowerRequest("wake-armed " + due, when.askedLocal);
        return true;
    }
    // The machine's alarm runs on the real clock and cannot follow a simulated one.
    if (Clock::Instance().IsSimulated()) {
        ReportNoWakeUp(state.name, L"the clock is simulated");
        return false;
    }
    state.alarmFd = ArmWakeAlarm(local);
    if (state.alarmFd >= 0) return true;
    ReportNoWakeUp(state.name,
                   L"CLOCK_REALTIME_ALARM refused (the program lacks the CAP_WAKE_ALARM capability)");
    return false;
}

// Stops the waiter and the alarm of the present arming. Called without the state's lock.
void Disarm(State& state) {
    std::thread waiter;
    {
        const std::lock_guard lock(state.mutex);
        ++state.generation;
        waiter = std::move(state.waiter);
        if (state.alarmFd >= 0) ::close(state.alarmFd);
        state.alarmFd = -1;
    }
    state.changed.notify_all();
    if (waiter.joinable()) waiter.join();
}

}  // namespace

WaitableTimer::WaitableTimer(std::wstring name) : state_(std::make_shared<State>()) {
    state_->name = std::move(name);
}

WaitableTimer::~WaitableTimer() {
    Cancel();
}

BOOL WaitableTimer::Set(std::int64_t dueTime, bool resume) {
    if (dueTime == 0) return FALSE;
    Disarm(*state_);
    const DueTime due = MakeDueTime(dueTime);
    const std::lock_guard lock(state_->mutex);
    const bool wakes = resume && ArmResume(*state_, due);
    state_->wakePending = wakes;
    state_->waiter = std::thread(RunWaiter, state_, state_->generation, due);
    // As on Windows: a resume that the machine does not support still arms the timer, and says so
    // in the last error.
    SetLastError(resume && !wakes ? ERROR_NOT_SUPPORTED : ERROR_SUCCESS);
    return TRUE;
}

BOOL WaitableTimer::Cancel() {
    Disarm(*state_);
    const std::lock_guard lock(state_->mutex);
    if (state_->wakePending && IsPowerSimulated()) AppendSimulatedPowerRequest("wake-cancelled");
    state_->wakePending = false;
    return TRUE;
}

const Event& WaitableTimer::Signal() const {
    return state_->signal;
}

}  // namespace platform
