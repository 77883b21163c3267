#include "tests/support/wall_clock_hold.h"

#include <chrono>

namespace test_support {
namespace {

// Between two settings the clock runs on at its rate: a millisecond of real time lets it drift
// by no more than the rate's milliseconds.
constexpr auto kResetPeriod = std::chrono::milliseconds(1);

std::uint64_t MiddleOfTheSecond(std::uint64_t fileTime) {
    return fileTime - fileTime % platform::kFileTimePerSecond + platform::kFileTimePerSecond / 2;
}

}  // namespace

WallClockHold::WallClockHold(platform::Clock& clock)
    : clock_(clock), held_(MiddleOfTheSecond(clock.NowLocal())), thread_([this] { Hold(); }) {}

WallClockHold::~WallClockHold() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        clock_.SetLocal(held_);
    }
    wake_.notify_one();
    thread_.join();
}

void WallClockHold::Advance(double seconds) {
    std::lock_guard lock(mutex_);
    held_ +=
        static_cast<std::uint64_t>(seconds * static_cast<double>(platform::kFileTimePerSecond));
    clock_.SetLocal(held_);
}

void WallClockHold::Hold() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        clock_.SetLocal(held_);
        wake_.wait_for(lock, kResetPeriod, [this] { return stop_; });
    }
}

}  // namespace test_support
