// TimerManager::CheckEpgAcquisition: whether the timed EPG acquisition starts now.
#include <mutex>

#include "platform/process_snapshot.h"
#include "platform/thread.h"
#include "timer_core/recording/epg_acquire_thread.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_manager_state.h"

namespace timer_core {
namespace {

// The main window checks every 120 s, so a time within that is armed now or never.
constexpr std::uint64_t kArmAhead = 120 * platform::kFileTimePerSecond;
// The acquisition needs the tuners for about this long after its time.
constexpr std::uint64_t kReservationClearance = 90 * kFileTimePerMinute;

}  // namespace

int TimerManager::CheckEpgAcquisition() {
    if (IsFriioViewRunning(platform::TakeProcessSnapshot()) == 1) return 0;
    platform::SYSTEMTIME next;
    if (GetNextEpgTime(&next) != 1) return 1;
    const std::uint64_t epgTime = LocalFileTime(next);
    const std::uint64_t now = LocalNowFileTime();
    if (epgTime > now + kArmAhead) return 1;

    // Whole seconds to go; negative when the time of the present minute has passed.
    const auto seconds = (static_cast<std::int64_t>(epgTime) - static_cast<std::int64_t>(now)) /
                         static_cast<std::int64_t>(platform::kFileTimePerSecond);
    const auto delay = static_cast<std::int32_t>(seconds * 1000);
    {
        const std::lock_guard lock(state_->dataLock);
        state_->epgDelay = delay;
        const ReserveEntry* reserve = GetNextReserve();
        const std::uint64_t start = reserve != nullptr ? LocalFileTime(reserve->start) : 0;
        if (start != 0 && start < epgTime + kReservationClearance) return 0;
    }
    // A time that has passed is armed once: a run that ended within its minute is not repeated
    // by the next check of that minute.
    if (delay < 0 && state_->lastArmedEpgTime == epgTime) return 1;

    if (state_->epgThread) {
        state_->epgThread->Stop(state_->epgStopEvent, kStopWaitMs);
        state_->epgThread.reset();
    }
    state_->epgStopEvent = platform::Event(true, false);
    state_->lastArmedEpgTime = epgTime;
    EpgProcedure procedure =
        state_->epgProcedure ? state_->epgProcedure : EpgProcedure(&EpgAcquireThreadProc);
    auto thread = std::make_unique<platform::Thread>(
        [procedure = std::move(procedure), manager = ShareWithThread(), stop = state_->epgStopEvent,
         delay] { return procedure(manager, stop, delay); },
        true);
    thread->Resume();
    state_->epgThread = std::move(thread);
    return 1;
}

}  // namespace timer_core
