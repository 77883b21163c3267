// Waiting in a test for something another thread, process, timer or window brings about.
#pragma once

#include <functional>

namespace test_support {

// How the calling program lets a slice of time pass between two looks: by default the thread
// sleeps; a program with a Qt application runs its event loop instead (its test environment sets
// that up through SetIdleRunner), so that the windows under test keep working while a test waits.
using IdleRunner = void (*)(int ms);
void SetIdleRunner(IdleRunner runner);

// Looks at done() every few milliseconds until it holds or timeoutMs of real time pass; returns
// done()'s last answer.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Lets ms of real time pass the same way (for tests whose subject is a span of time, such as a
// timer that must fire a number of times within it).
void RunFor(int ms);

}  // namespace test_support
