// A waitable timer with an automatic reset, on the layer's clock, that can wake the machine.
//
// The timer fires on the clock (platform/clock.h), so under a simulated clock it follows the
// simulated time and its rate. When it is armed with `resume` on the real machine, a timerfd on
// CLOCK_REALTIME_ALARM is armed for the same instant, which wakes the machine from standby or
// hibernation. Without the CAP_WAKE_ALARM capability Linux refuses that clock, and the machine's
// alarm cannot follow a simulated clock: the timer then still fires but cannot wake the machine,
// which Set reports as Windows does for a machine without resume support (success, last error
// ERROR_NOT_SUPPORTED), with a debug line. Under ORVANDEL_SIM_POWER nothing is armed in the
// machine: arming and cancelling a resume timer are written to the simulation file
// ("wake-armed <due>", "wake-cancelled"); ORVANDEL_SIM_NO_WAKE_ALARM refuses the wake alarm
// there ("wake-refused <due>").
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
    // the previous due time. FALSE when the due time is 0. With `resume`, the last error is
    // ERROR_NOT_SUPPORTED when the timer cannot wake the machine, else ERROR_SUCCESS.
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
