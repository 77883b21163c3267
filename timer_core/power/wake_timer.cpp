#include "timer_core/power/wake_timer.h"

#include <array>

#include "platform/clock.h"
#include "platform/last_error.h"

namespace timer_core {
namespace {

constexpr std::int64_t kFileTimePerMinute =
    60 * static_cast<std::int64_t>(platform::kFileTimePerSecond);
constexpr std::int64_t kRefuseWithin = 7 * kFileTimePerMinute;
constexpr std::int64_t kWakeEarly = 5 * kFileTimePerMinute;

}  // namespace

WakeTimer::~WakeTimer() {
    Stop();
}

int WakeTimer::Set(const platform::SYSTEMTIME& eventTime) {
    platform::FILETIME converted;
    if (!platform::SystemTimeToFileTime(&eventTime, &converted)) return 0;
    const auto event = static_cast<std::int64_t>(platform::FileTimeToU64(converted));
    const auto now = [] {
        return static_cast<std::int64_t>(platform::Clock::Instance().NowLocal());
    };
    if (now() > event - kRefuseWithin) return 0;
    // The scheduler asks again at every tick, mostly for the same event: an equal timer in place
    // of a pending one that will wake the PC would cost two threads and change nothing. One that
    // cannot is tried again: the machine may take it now.
    if (waiter_ && armedEvent_ == event && armed_ && !waiter_->HasEnded()) return 1;

    StopWaiter(kRearmWaitMs);
    auto arming = std::make_shared<WakeArming>();
    arming->timer = std::make_unique<platform::WaitableTimer>(L"FriioOrvandel");
    // Relative, as a negative count: the timer fires 5 minutes before the event. Taken after the
    // old waiter has gone, so that however long that took, the wake-up time stays exact.
    const std::int64_t dueTime = now() - event + kWakeEarly;
    // A timer that cannot wake the machine (Linux refuses the wake alarm to a program without
    // CAP_WAKE_ALARM) arms no wake-up: the PC must then not be put to sleep.
    const int armed = arming->timer->Set(dueTime, true) &&
                              platform::GetLastError() != platform::ERROR_NOT_SUPPORTED
                          ? 1
                          : 0;
    arming_ = arming;
    armedEvent_ = event;
    armed_ = armed == 1;
    waiter_ =
        std::make_unique<platform::Thread>([arming] { return WakeWaiterThreadProc(arming); }, true);
    waiter_->Resume();
    return armed;
}

int WakeTimer::Stop() {
    StopWaiter(kStopWaitMs);
    return 1;
}

void WakeTimer::StopWaiter(platform::DWORD milliseconds) {
    if (waiter_) waiter_->Stop(arming_->stopEvent, milliseconds);
    waiter_.reset();
    arming_.reset();
}

platform::DWORD WakeWaiterThreadProc(const std::shared_ptr<WakeArming>& arming) {
    const std::array<const platform::Event*, 2> events{&arming->stopEvent,
                                                       &arming->timer->Signal()};
    platform::WaitForMultipleObjects(events, platform::INFINITE);
    arming->timer.reset();
    return 0;
}

}  // namespace timer_core
