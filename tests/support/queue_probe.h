// Positive signals for tests that assert that something did not happen on the calling thread's
// window queue: once a probe message or a probe timer comes through, whatever was queued or due
// before it has come through too. The thread's windows (dialogs included) share one queue.
#pragma once

#include "platform/win_types.h"

namespace test_support {

// Waits until a message posted now to a window of the calling thread has been dispatched: every
// message posted to this thread before it has been dispatched as well.
bool WaitForQueuedMessages(int timeoutMs = 10000);

// Waits until a window timer of elapseMs (clock time), armed now on the calling thread, has fired:
// every timer of this thread with that period or a shorter one has fired at least once by then,
// and every message queued before has been dispatched.
bool WaitForTimerPeriod(platform::UINT elapseMs, int timeoutMs = 10000);

}  // namespace test_support
