// The suspend query. Windows asks every program before it suspends or hibernates the machine
// (WM_POWERBROADCAST with PBT_APMQUERYSUSPEND), and a program that must not be interrupted
// answers BROADCAST_QUERY_DENY. Linux asks nobody; a program that must not be interrupted holds a
// logind inhibitor lock instead ("sleep", mode "block"), and logind refuses to sleep while any is
// held. SuspendQueryAnswer holds that lock exactly while the program's answer is a refusal.
//
// Who calls it, and when: the timer's main window owns one and gives it the answer it would give
// to the query (TimerManager::SetNextWakeUp() returns 0: BROADCAST_QUERY_DENY; otherwise TRUE)
// after every scheduler tick, after every power event it handles, and from a timer at least once
// a minute, so that the lock is taken before a recording or an EPG acquisition comes near. All
// calls come from that one thread. Windows also asks the program that requests the sleep itself:
// the standby and hibernation commands, once SetNextWakeUp has allowed them, give the answer TRUE
// before they call EnterSleepState, or the program's own lock would refuse its own request.
//
// What differs from Windows:
// - The answer is given ahead of time, not at the moment of the suspend: it is as old as the
//   last call, at most a minute.
// - The program is not told of a suspend it refused; whoever asked logind gets the refusal.
// - logind lets a privileged caller override the lock (systemctl suspend -i), and by default its
//   lid-switch handling ignores inhibitors (LidSwitchIgnoreInhibited).
// - Without a system bus or logind (containers, CI) no lock is taken and one debug line says so;
//   the program runs on as if the machine never asked.
// Under ORVANDEL_SIM_POWER nothing reaches logind: taking and releasing the lock are written to
// the simulation file as "sleep-blocked" and "sleep-allowed" (platform/simulated_power.h).
#pragma once

#include <string>

#include "platform/owned_fd.h"
#include "platform/win_types.h"

namespace platform {

// The window procedure's answer that refuses the suspend query.
inline constexpr LRESULT BROADCAST_QUERY_DENY = 0x424D5144;

class SuspendQueryAnswer {
  public:
    // `who` and `why` are what logind shows for the lock (systemd-inhibit --list).
    SuspendQueryAnswer(std::wstring who, std::wstring why);
    // Releases a lock still held.
    ~SuspendQueryAnswer();
    SuspendQueryAnswer(const SuspendQueryAnswer&) = delete;
    SuspendQueryAnswer& operator=(const SuspendQueryAnswer&) = delete;

    // BROADCAST_QUERY_DENY takes the lock unless it is held (a lock that could not be taken is
    // tried again at the next call); any other answer releases it.
    void Answer(LRESULT answer);

    // True while the lock is held (in the simulation: between "sleep-blocked" and
    // "sleep-allowed").
    bool Blocking() const;

  private:
    void Block();
    void Allow();

    std::wstring who_;
    std::wstring why_;
    OwnedFd lock_;
    bool simulatedLock_ = false;
};

}  // namespace platform
