// The manager's device lock as the record threads take it: a thread that waits for another one's
// choice of a device (which may take many seconds of viewer starts) still leaves in time when it
// is stopped.
#pragma once

#include <mutex>
#include <optional>

#include "platform/event.h"
#include "timer_core/scheduling/timer_manager.h"

namespace timer_core {

using DeviceLockHold = std::unique_lock<platform::CriticalSection>;

// The device lock, or nullopt once `stop` is signalled while waiting for it.
std::optional<DeviceLockHold> LockDevicesUnlessStopped(const TimerManager& manager,
                                                       const platform::Event& stop);

}  // namespace timer_core
