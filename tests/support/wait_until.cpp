#include "tests/support/wait_until.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace test_support {
namespace {

// Short enough that a test notices a change at once, long enough not to burn a processor.
constexpr int kSliceMs = 5;

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::atomic<IdleRunner> idleRunner{&Sleep};

}  // namespace

void SetIdleRunner(IdleRunner runner) {
    idleRunner = runner != nullptr ? runner : &Sleep;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return done();
        idleRunner.load()(static_cast<int>(std::min<std::int64_t>(left.count(), kSliceMs)));
    }
    return true;
}

void RunFor(int ms) {
    WaitUntil([] { return false; }, ms);
}

}  // namespace test_support
