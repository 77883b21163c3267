// What the timer-core tests share: a private runtime folder and namespace for the whole program
// (named objects, windows and the processes it starts are seen by nobody else), Qt offscreen for
// the viewers it starts, and a simulated clock running kClockRate times as fast as real time for
// the program and its children, so that the timer's pauses of seconds take a fraction of that.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/fresh_folder.h"
#include "tests/support/wait_until.h"

namespace timer_core_test {

inline constexpr double kClockRate = 5.0;

// Clock milliseconds in which a process ends after it was killed or asked to close: generous,
// for a busy machine and the sanitizers.
inline constexpr unsigned kProcessEndMs = 60000;

// Clock milliseconds below the full wait of TerminateViewer (nine checks a second apart): what an
// operation that returns early takes, however busy the machine is.
inline constexpr unsigned kEarlyMs = 8000;

// A fresh, empty folder for one test, removed with the program's private root at its end.
using test_support::FreshFolder;

// Waits, in real time, until `done` holds; returns `done()`.
using test_support::WaitUntil;

// Real milliseconds that a span of clock time takes.
inline int RealMs(double clockMs) {
    return static_cast<int>(clockMs / kClockRate);
}

}  // namespace timer_core_test
