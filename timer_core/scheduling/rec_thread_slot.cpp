#include "timer_core/scheduling/rec_thread_slot.h"

namespace timer_core {

void RecThreadSlot::Stop() {
    platform::SetEvent(stopEvent);
    if (thread) thread->Stop(stopEvent, kStopWaitMs);
    thread.reset();
}

bool RecThreadSlot::StopRequested() const {
    return platform::WaitForSingleObject(stopEvent, 0) == platform::WAIT_OBJECT_0;
}

}  // namespace timer_core
