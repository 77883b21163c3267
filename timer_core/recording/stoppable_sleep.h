// The pauses of the viewer control and of the threads that use it. A record thread or the EPG
// acquisition thread is stopped through its stop event and given 2000 ms to end; a thread that
// is still inside a pause then would be detached and outlive what it uses. So every pause of
// theirs waits on their stop event instead of sleeping.
#pragma once

#include "platform/event.h"
#include "platform/win_types.h"

namespace timer_core {

// Waits `ms` of clock time. With a stop event (manual reset, as the threads' stop events are)
// the wait ends as soon as it is signalled: true when it was, false after the full pause.
bool SleepUnlessStopped(platform::DWORD ms, const platform::Event* stop);

}  // namespace timer_core
