#include "timer_core/recording/device_lock.h"

#include "timer_core/recording/stoppable_sleep.h"

namespace timer_core {
namespace {

// How often a waiting thread looks again: short against the seconds a device choice takes.
constexpr platform::DWORD kRetryMs = 50;

}  // namespace

std::optional<DeviceLockHold> LockDevicesUnlessStopped(const TimerManager& manager,
                                                       const platform::Event& stop) {
    DeviceLockHold hold(manager.DeviceLock(), std::defer_lock);
    while (!hold.try_lock()) {
        if (SleepUnlessStopped(kRetryMs, &stop)) return std::nullopt;
    }
    if (platform::WaitForSingleObject(stop, 0) == platform::WAIT_OBJECT_0) return std::nullopt;
    return hold;
}

}  // namespace timer_core
