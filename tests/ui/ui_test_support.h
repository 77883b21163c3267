// What the dialog tests share: the Qt application (offscreen), a private runtime folder and
// namespace, a simulated clock running ten times as fast as real time, and waiting for events
// without busy loops.
#pragma once

#include "tests/support/wait_until.h"

namespace ui_test {

// The simulated clock's rate in this test program.
inline constexpr double kClockRate = 10.0;

// Waiting runs the event loop (the environment sets that up).
using test_support::RunFor;
using test_support::WaitUntil;

}  // namespace ui_test
