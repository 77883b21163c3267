// A waitable timer with an automatic reset, on the layer's clock, that can wake the machine.
//
// The timer fires on the clock (platform/clock.h), so under a simulated clock it follows the
// simulated time and its rate. When it is armed with `resume` on the real machine, a timerfd on
// CLOCK_REALTIME_ALARM is armed for the same instant, which wakes the machine from standby or
// hibernation; without the CAP_WAKE_ALARM capability Linux refuses that clock, so the timer
// still fires but cannot wake the machine, and a debug line says so. Under ORVANDEL_SIM_POWER
// nothing is armed in the machine: arming and cancelling a resume timer are written to the
// simulation file ("wake-armed <due>", "wake-cancelled").
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/event.h"
#include "platform/win_types.h"

namespace platform {

class WaitableTimer {
  public:
    // The name is the Windows object's name ("FriioOrvandel"), kept for the debug lines; the
    // timer is private to its process.
    explicit WaitableTimer(std::wstring name);
    ~WaitableTimer();
    WaitableTimer(const WaitableTimer&) = delete;
    WaitableTimer& operator=(const WaitableTimer&) = delete;

    // Windows' SetWaitableTimer without period or completion routine: a negative due time is
    // relative, in 100-ns units of clock time; a positive one is an absolute local time
    // (FILETIME value; Windows would take UTC, but the timer's times are local). Re-arming replaces
    // the previous due time. FALSE when the due time is 0.
    BOOL Set(std::int64_t dueTime, bool resume);

    // Disarms the timer; a signal already given stays until taken.
    BOOL Cancel();

    // Set when the timer fires; automatic reset (one wait takes it).
    const Event& Signal() const;

    struct State;  // shared with the thread that waits for the due time

  private:
    std::shared_ptr<State> state_;
};

}  // namespace platform
