#include "platform/resume_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>

#include <algorithm>

#include "platform/logind.h"
#include "platform/owned_fd.h"

namespace platform {

bool ResumeNoticeFilter::OnPrepareForSleep(bool start) {
    if (start) {
        sleepAnnounced_ = true;
        deliveredForSleep_ = false;
        return false;
    }
    const bool duplicate = sleepAnnounced_ && deliveredForSleep_;
    sleepAnnounced_ = false;
    deliveredForSleep_ = false;
    heldUntil_.reset();
    return !duplicate;
}

bool ResumeNoticeFilter::OnGap(TimePoint now) {
    if (!logind_) return true;
    if (!heldUntil_) heldUntil_ = now + kGrace;
    return false;
}

bool ResumeNoticeFilter::OnTime(TimePoint now) {
    if (!heldUntil_ || now < *heldUntil_) return false;
    heldUntil_.reset();
    if (sleepAnnounced_) deliveredForSleep_ = true;
    return true;
}

void ResumeNoticeFilter::LogindLost() {
    logind_ = false;
    if (heldUntil_) heldUntil_ = TimePoint::min();
}

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// The gap is polled this often, so a resume that only the gap shows is at most this late.
constexpr auto kGapPoll = 2s;
constexpr auto kGapThreshold = 1s;

// Time the machine spent asleep since boot: CLOCK_BOOTTIME runs on during a sleep,
// CLOCK_MONOTONIC does not.
std::chrono::nanoseconds SleptSoFar() {
    timespec boot{}, mono{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    return std::chrono::seconds(boot.tv_sec - mono.tv_sec) +
           std::chrono::nanoseconds(boot.tv_nsec - mono.tv_nsec);
}

int MillisecondsUntil(SteadyClock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - SteadyClock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000));
}

}  // namespace

struct ResumeWatcher::State {
    std::function<void()> onResume;
    OwnedFd stop{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
    logind::SleepSignals signals;
    ResumeNoticeFilter filter{signals.Connected()};
    std::chrono::nanoseconds slept = SleptSoFar();
    SteadyClock::time_point nextGapCheck = SteadyClock::now() + kGapPoll;

    // Waits for the stop descriptor, the bus, the next gap check or a held gap; false on stop.
    bool Wait() {
        auto until = nextGapCheck;
        if (filter.HeldUntil()) until = std::min(until, *filter.HeldUntil());
        int timeout = MillisecondsUntil(until);
        if (const auto busTimeout = signals.Timeout())
            timeout = std::min<int>(timeout, static_cast<int>(busTimeout->count()));
        pollfd fds[2] = {{stop.Get(), POLLIN, 0}, {signals.Fd(), signals.Events(), 0}};
        ::poll(fds, signals.Connected() ? 2 : 1, timeout);
        return (fds[0].revents & POLLIN) == 0;
    }

    void HandleBus() {
        if (!signals.Connected()) return;
        const bool alive = signals.Process([this](bool start) {
            if (!start) slept = SleptSoFar();  // this resume's gap is accounted for
            if (filter.OnPrepareForSleep(start)) onResume();
        });
        if (!alive) filter.LogindLost();
    }

    void HandleGap() {
        const auto now = SteadyClock::now();
        if (now >= nextGapCheck) {
            nextGapCheck = now + kGapPoll;
            const auto sleptNow = SleptSoFar();
            const bool gap = sleptNow - slept > kGapThreshold;
            slept = sleptNow;
            if (gap && filter.OnGap(now)) onResume();
        }
        if (filter.OnTime(now)) onResume();
    }

    void Run() {
        while (Wait()) {
            HandleBus();
            HandleGap();
        }
    }
};

ResumeWatcher::ResumeWatcher(std::function<void()> onResume) : state_(std::make_shared<State>()) {
    state_->onResume = std::move(onResume);
    thread_ = std::thread([state = state_] { state->Run(); });
}

ResumeWatcher::~ResumeWatcher() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(state_->stop.Get(), &one, sizeof one);
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();
    else
        thread_.join();
}

}  // namespace platform
