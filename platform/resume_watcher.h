// Finding out that the machine has resumed from standby or hibernation, for the resume listeners
// of platform/power.h.
//
// Two sources see a resume: logind's PrepareForSleep(false), sent after every sleep that logind
// carried out, and the gap that a sleep opens between CLOCK_BOOTTIME and CLOCK_MONOTONIC, which
// also catches a sleep that bypassed logind and works without a system bus. One resume must be
// delivered once, whichever source sees it first.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace platform {

// Which resumes to deliver, from what the two sources report. While logind is connected its
// signal is the notice: a gap is held back for a grace time, delivered only when no
// PrepareForSleep(false) has come by then, and a PrepareForSleep(false) after a gap already
// delivered for the same announced sleep is dropped. Without logind every gap is delivered.
class ResumeNoticeFilter {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::seconds kGrace{10};

    explicit ResumeNoticeFilter(bool logindConnected) : logind_(logindConnected) {}

    // Each returns true when a resume is to be delivered now.
    bool OnPrepareForSleep(bool start);
    bool OnGap(TimePoint now);
    bool OnTime(TimePoint now);  // a held gap whose grace time has run out

    // Until when a gap is held (the watcher wakes up then).
    std::optional<TimePoint> HeldUntil() const { return heldUntil_; }

    // The connection to logind broke: a held gap and later gaps are delivered at once.
    void LogindLost();

  private:
    bool logind_;
    bool sleepAnnounced_ = false;     // PrepareForSleep(true) seen, its false not yet
    bool deliveredForSleep_ = false;  // the announced sleep's resume went out from a gap
    std::optional<TimePoint> heldUntil_;
};

// A thread that watches for resumes while the object lives and calls onResume for each (on that
// thread). It subscribes to logind before the constructor returns, so a PrepareForSleep sent
// afterwards is heard.
class ResumeWatcher {
  public:
    explicit ResumeWatcher(std::function<void()> onResume);
    // Stops the thread: its wait ends at once on the stop descriptor. When destroyed on its own
    // thread (a listener that removes itself), the thread is detached and ends on its own; it
    // owns everything it uses.
    ~ResumeWatcher();
    ResumeWatcher(const ResumeWatcher&) = delete;
    ResumeWatcher& operator=(const ResumeWatcher&) = delete;

    struct State;

  private:
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace platform
