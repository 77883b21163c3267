// What a thread of this process is doing, as the kernel reports it: for tests that must act only
// once another thread is blocked in a wait.
#pragma once

#include <sys/types.h>

namespace test_support {

// Waits until the thread (a kernel thread id of this process) sleeps, that is, is blocked in a
// wait; false when it did not within timeoutMs.
bool WaitUntilThreadSleeps(pid_t tid, int timeoutMs = 10000);

}  // namespace test_support
