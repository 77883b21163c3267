#include "timer_core/recording/stoppable_sleep.h"

#include "platform/clock.h"

namespace timer_core {

bool SleepUnlessStopped(platform::DWORD ms, const platform::Event* stop) {
    if (stop == nullptr) {
        platform::Sleep(ms);
        return false;
    }
    return platform::WaitForSingleObject(*stop, ms) == platform::WAIT_OBJECT_0;
}

}  // namespace timer_core
