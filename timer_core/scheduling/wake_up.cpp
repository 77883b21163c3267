// TimerManager::SetNextWakeUp: when the PC may sleep, and when it must wake again.
#include <mutex>
#include <optional>

#include "timer_core/power/suppression_list.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_manager_state.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {
namespace {

constexpr std::uint64_t kStayAwake = 10 * kFileTimePerMinute;
// How long a record thread that has given its reservation up is given to end.
constexpr platform::DWORD kEndingThreadWaitMs = 500;

void TakeEarlier(std::optional<std::uint64_t>& earliest, std::uint64_t time) {
    if (!earliest || time < *earliest) earliest = time;
}

// What to wake for: the next reservation, a slot's reservation that starts earlier, or an earlier
// EPG acquisition; without a next reservation only an EPG acquisition; none without either.
std::optional<std::uint64_t> WakeTime(std::optional<std::uint64_t> nextStart,
                                      std::optional<std::uint64_t> earliestSlotStart,
                                      std::optional<std::uint64_t> epgStart) {
    if (!nextStart) return epgStart;
    std::optional<std::uint64_t> wakeTime = nextStart;
    if (earliestSlotStart) TakeEarlier(wakeTime, *earliestSlotStart);
    if (epgStart) TakeEarlier(wakeTime, *epgStart);
    return wakeTime;
}

}  // namespace

void TimerManager::AwaitEndingThreads() {
    std::vector<std::shared_ptr<RecThreadSlot>> ending;
    {
        const std::lock_guard lock(state_->dataLock);
        for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
            for (const auto& slot : GroupSlots(group)) {
                if (slot->thread && slot->currentReserve && slot->currentReserve->assigned == 0)
                    ending.push_back(slot);
            }
        }
    }
    for (const auto& slot : ending)
        slot->thread->Wait(kEndingThreadWaitMs);
}

int TimerManager::SetNextWakeUp() {
    return NextWakeUp(true);
}

int TimerManager::NextWakeUp(bool askSuppressionList) {
    // A record thread posts the end of its recording to the main window just before it ends, and
    // the window asks at once whether the PC may sleep: the thread is given a moment to end.
    AwaitEndingThreads();
    std::optional<std::uint64_t> nextStart;
    std::optional<std::uint64_t> earliestSlotStart;
    std::vector<std::shared_ptr<RecThreadSlot>> released;
    {
        const std::lock_guard lock(state_->dataLock);
        if (const ReserveEntry* next = GetNextReserve()) {
            if (const std::uint64_t start = LocalFileTime(next->start)) nextStart = start;
        }
        ReapEndedSlots(released);
        for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
            if (state_->settings.TunerCountOf(group) <= 0) continue;
            for (const auto& slot : GroupSlots(group)) {
                // A thread that has given its reservation up records nothing any more, even
                // when it has not quite ended yet.
                if (!slot->currentReserve || slot->currentReserve->assigned == 0) continue;
                if (const std::uint64_t start = LocalFileTime(slot->currentReserve->start)) {
                    TakeEarlier(earliestSlotStart, start);
                }
            }
        }
    }
    StopReleased(released);
    // A recording runs or starts within ten minutes.
    if (earliestSlotStart && *earliestSlotStart < LocalNowFileTime() + kStayAwake) return 0;

    platform::SYSTEMTIME epgTime;
    std::optional<std::uint64_t> epgStart;
    if (GetNextEpgTime(&epgTime) == 1) epgStart = LocalFileTime(epgTime);

    const std::optional<std::uint64_t> wakeTime = WakeTime(nextStart, earliestSlotStart, epgStart);
    // Nothing to wake for: the timer stays as it is, and the PC may sleep as far as it goes.
    const int armed = wakeTime ? state_->wakeTimer.Set(LocalSystemTime(*wakeTime)) : 1;
    // A listed program forbids sleep whether or not anything lies ahead.
    if (askSuppressionList && SuppressionList(state_->iniPath).IsBlockingProcessRunning()) return 0;
    return armed;
}

}  // namespace timer_core
