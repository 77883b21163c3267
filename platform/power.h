// The machine's power state: standby, hibernation and the notice of resume.
//
// On Linux the request goes to systemd-logind through `systemctl suspend` / `systemctl
// hibernate` (started directly, never through a shell); there is no privilege to enable, and a
// refusal (no permission, no swap for hibernation) is reported by systemctl's exit status.
// Resume is heard from logind's PrepareForSleep(false) signal, and from the gap that a sleep opens
// between CLOCK_BOOTTIME and CLOCK_MONOTONIC where logind is not there or was bypassed
// (platform/resume_watcher.h); each resume is delivered once. Under ORVANDEL_SIM_POWER
// (platform/simulated_power.h) requests are only written to the simulation file, and the resume
// follows at once. Whether the machine may sleep at all is the program's answer to the suspend
// query (platform/suspend_query.h).
#pragma once

#include <functional>

#include "platform/win_types.h"

namespace platform {

// Windows' power broadcast: the suspend query a window may refuse, and the notice of resume that
// the timer's main window has its resume listener post to itself.
inline constexpr UINT WM_POWERBROADCAST = 0x0218;
inline constexpr WPARAM PBT_APMQUERYSUSPEND = 0x0000;
inline constexpr WPARAM PBT_APMRESUMESUSPEND = 0x0007;

// Windows' SetSystemPowerState: TRUE standby, FALSE hibernate; force is not used. Like Windows,
// it returns after the machine has resumed (or, when the machine does not sleep within 60 s of
// an accepted request, then). FALSE when the request was refused.
BOOL SetSystemPowerState(BOOL suspend, BOOL force);

// Puts the machine into standby (1) or hibernation (0) and returns 1 in every case, as the
// system expects of it. Linux needs no shutdown privilege to be enabled first.
BOOL EnterSleepState(BOOL standby);

// Called (on a thread of the layer) after every resume from standby or hibernation; the
// listener should only post a message (Windows' WM_POWERBROADCAST with PBT_APMRESUMESUSPEND).
// Returns an id for RemoveResumeListener. Outside the power simulation, the layer watches for
// resumes while any listener is registered; it subscribes to logind before this returns.
int AddResumeListener(std::function<void()> listener);
// Once it has returned, the listener is neither running nor called again (a listener may remove
// itself).
void RemoveResumeListener(int id);

}  // namespace platform
