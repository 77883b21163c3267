// The machine's power state: standby, hibernation and the notice of resume.
//
// On Linux the request goes to systemd-logind through `systemctl suspend` / `systemctl
// hibernate` (started directly, never through a shell); there is no privilege to enable, and a
// refusal (no permission, no swap for hibernation) is reported by systemctl's exit status.
// Resume is detected from the gap that a sleep opens between CLOCK_BOOTTIME and
// CLOCK_MONOTONIC. Under ORVANDEL_SIM_POWER (platform/simulated_power.h) requests are only
// written to the simulation file, and the resume follows at once.
#pragma once

#include <functional>

#include "platform/win_types.h"

namespace platform {

// Windows' SetSystemPowerState: TRUE standby, FALSE hibernate; force is not used. Like Windows,
// it returns after the machine has resumed (or, when the machine does not sleep within 60 s of
// an accepted request, then). FALSE when the request was refused.
BOOL SetSystemPowerState(BOOL suspend, BOOL force);

// Puts the machine into standby (1) or hibernation (0) and returns 1 in every case, as the
// system expects of it. Linux needs no shutdown privilege to be enabled first.
BOOL EnterSleepState(BOOL standby);

// Called (on a thread of the layer) after every resume from standby or hibernation; the
// listener should only post a message. Returns an id for RemoveResumeListener.
int AddResumeListener(std::function<void()> listener);
void RemoveResumeListener(int id);

}  // namespace platform
