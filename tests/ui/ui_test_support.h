// What the dialog tests share: the Qt application (offscreen), a private runtime folder and
// namespace, a simulated clock running ten times as fast as real time, and waiting for events
// without busy loops.
#pragma once

#include <QString>
#include <functional>

namespace ui_test {

// The simulated clock's rate in this test program.
inline constexpr double kClockRate = 10.0;

// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Runs the event loop for `ms` milliseconds.
void ProcessEventsFor(int ms);

// The test program's build folder (screenshots for review go there).
QString OutputDir();

}  // namespace ui_test
