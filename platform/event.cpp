#include "platform/event.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock.h"

namespace platform {
namespace detail {

// One waiting thread. SetEvent wakes it; the thread then looks at its events again.
struct Waiter {
    std::mutex mutex;
    std::condition_variable cv;
    bool woken = false;
};

// Lock order: an event's mutex, then a waiter's mutex. A waiter never holds its own mutex while
// it takes an event's.
struct EventState {
    std::mutex mutex;
    bool manualReset = false;
    bool signalled = false;
    std::vector<Waiter*> waiters;
};

}  // namespace detail

namespace {

using detail::EventState;
using detail::Waiter;

void Wake(Waiter* waiter) {
    const std::lock_guard lock(waiter->mutex);
    waiter->woken = true;
    waiter->cv.notify_one();
}

bool TryTake(EventState& state) {
    const std::lock_guard lock(state.mutex);
    if (!state.signalled) return false;
    if (!state.manualReset) state.signalled = false;
    return true;
}

DWORD TakeFirstSignalled(const std::vector<EventState*>& states) {
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (TryTake(*states[i])) return WAIT_OBJECT_0 + static_cast<DWORD>(i);
    }
    return WAIT_TIMEOUT;
}

void Register(EventState& state, Waiter* waiter) {
    const std::lock_guard lock(state.mutex);
    state.waiters.push_back(waiter);
}

void Unregister(EventState& state, Waiter* waiter) {
    const std::lock_guard lock(state.mutex);
    std::erase(state.waiters, waiter);
}

// Sleeps until woken or the deadline; false when the deadline passed without a wake-up. The
// deadline is one of the clock: while a simulated clock stands still, so does the deadline.
bool SleepUntilWoken(Waiter& waiter, const std::optional<ClockDeadline>& deadline) {
    std::unique_lock lock(waiter.mutex);
    const auto woken = [&] { return waiter.woken; };
    bool result = true;
    if (deadline) {
        for (auto wait = deadline->RealWait(); !waiter.woken; wait = deadline->RealWait()) {
            if (wait.count() == 0) {
                result = false;
                break;
            }
            waiter.cv.wait_for(lock, wait, woken);
        }
    } else {
        waiter.cv.wait(lock, woken);
    }
    waiter.woken = false;
    return result;
}

std::optional<ClockDeadline> DeadlineAfter(DWORD milliseconds) {
    if (milliseconds == INFINITE) return std::nullopt;
    return ClockDeadline(std::chrono::milliseconds(milliseconds));
}

}  // namespace

Event::Event(bool manualReset, bool initialState) : state_(std::make_shared<EventState>()) {
    state_->manualReset = manualReset;
    state_->signalled = initialState;
}

BOOL SetEvent(const Event& event) {
    EventState& state = *event.state_;
    const std::lock_guard lock(state.mutex);
    state.signalled = true;
    for (Waiter* waiter : state.waiters)
        Wake(waiter);
    return TRUE;
}

BOOL ResetEvent(const Event& event) {
    EventState& state = *event.state_;
    const std::lock_guard lock(state.mutex);
    state.signalled = false;
    return TRUE;
}

DWORD WaitForSingleObject(const Event& event, DWORD milliseconds) {
    const Event* one[] = {&event};
    return WaitForMultipleObjects(one, milliseconds);
}

DWORD WaitForMultipleObjects(std::span<const Event* const> events, DWORD milliseconds) {
    if (events.empty()) return WAIT_FAILED;
    std::vector<EventState*> states;
    for (const Event* e : events)
        states.push_back(e->state_.get());
    if (const DWORD r = TakeFirstSignalled(states); r != WAIT_TIMEOUT || milliseconds == 0) {
        return r;
    }
    Waiter waiter;
    // Registered before the first look, so a SetEvent after a look always wakes this thread.
    for (EventState* state : states)
        Register(*state, &waiter);
    const auto deadline = DeadlineAfter(milliseconds);
    // After the deadline one more look is taken, so a signal racing with it is not lost.
    DWORD result = WAIT_TIMEOUT;
    bool inTime = true;
    while ((result = TakeFirstSignalled(states)) == WAIT_TIMEOUT && inTime)
        inTime = SleepUntilWoken(waiter, deadline);
    for (EventState* state : states)
        Unregister(*state, &waiter);
    return result;
}

}  // namespace platform
