// Wakes the PC from standby or hibernation five minutes before the next recording or EPG
// acquisition: a resuming waitable timer "FriioOrvandel", kept alive by a waiter thread until it
// fires or is replaced.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/event.h"
#include "platform/system_time.h"
#include "platform/thread.h"
#include "platform/waitable_timer.h"

namespace timer_core {

// One arming: the timer and the stop event of the waiter that keeps it. Shared by the owner and
// the waiter thread, so that a waiter that overruns its stop wait never sees it freed.
struct WakeArming {
    platform::Event stopEvent{true, false};
    std::unique_ptr<platform::WaitableTimer> timer;  // null once the waiter closed it
};

class WakeTimer {
  public:
    static constexpr platform::DWORD kRearmWaitMs = 10000;
    static constexpr platform::DWORD kStopWaitMs = 2000;

    WakeTimer() = default;
    ~WakeTimer();
    WakeTimer(const WakeTimer&) = delete;
    WakeTimer& operator=(const WakeTimer&) = delete;

    // Arms the wake-up 5 minutes before `eventTime` (local). Refused with 0, leaving an armed
    // timer as it is, when the event is less than 7 minutes ahead. Otherwise the waiter of an
    // earlier arming is stopped (its timer is closed and no longer wakes the PC) and a new timer
    // is armed with the resume flag: 1 when it will wake the PC, 0 when it cannot (the machine
    // refuses the wake alarm). The event already armed, its timer still pending and able to wake
    // the PC, is left armed as it is (1).
    int Set(const platform::SYSTEMTIME& eventTime);

    // Stops the waiter (2000 ms), which closes the timer. Always 1.
    int Stop();

  private:
    // Sets the waiter's stop event, waits up to `milliseconds`, detaches it on time-out.
    void StopWaiter(platform::DWORD milliseconds);

    std::shared_ptr<WakeArming> arming_;
    std::unique_ptr<platform::Thread> waiter_;
    std::int64_t armedEvent_ = 0;  // the event of the present arming (FILETIME, local)
    bool armed_ = false;           // the present arming will wake the PC
};

// The waiter: waits without a time limit until the arming's stop event or its timer is
// signalled, then closes the timer. Always 0.
platform::DWORD WakeWaiterThreadProc(const std::shared_ptr<WakeArming>& arming);

}  // namespace timer_core
