// Holds a simulated wall clock still while a test checks a rule about wall-clock spans (a channel
// collected for at least 60 s, a collection that must not end before a recording is noticed).
// The code under test then sees exactly the spans the test moves the clock by, however slowly a
// busy machine runs it; the tick count, timers and waits keep their pace. The clock is shared with
// every process of the namespace that runs the same simulation.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/clock.h"

namespace test_support {

class WallClockHold {
  public:
    // Holds the (simulated) clock at the middle of its present second, so that the little it runs
    // on between two settings never carries it into the next second.
    explicit WallClockHold(platform::Clock& clock = platform::Clock::Instance());
    // The clock runs on from the held time.
    ~WallClockHold();
    WallClockHold(const WallClockHold&) = delete;
    WallClockHold& operator=(const WallClockHold&) = delete;

    // Moves the held time on by `seconds` of the clock.
    void Advance(double seconds);

  private:
    void Hold();

    platform::Clock& clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::uint64_t held_;  // under mutex_
    bool stop_ = false;   // under mutex_
    std::thread thread_;
};

}  // namespace test_support
