// TimerManager::GetNextEpgTime: the next time of the timed EPG acquisition.
#include <mutex>

#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_manager_state.h"

namespace timer_core {

int TimerManager::GetNextEpgTime(platform::SYSTEMTIME* out) {
    std::map<std::wstring, EpgTimeEntry> times;
    const bool anyEnabled = ReadEpgTimes(state_->iniPath, &times);
    const platform::SYSTEMTIME now = LocalSystemTime(LocalNowFileTime());
    {
        const std::lock_guard lock(state_->dataLock);
        state_->epgTimes = times;
    }
    if (!anyEnabled) return 0;

    // The first enabled time from the present minute on, wrapping to tomorrow.
    bool tomorrow = false;
    auto at = times.lower_bound(EpgTimeKey(now.wHour, now.wMinute));
    for (;;) {
        if (at == times.end()) {
            at = times.begin();
            tomorrow = true;
        }
        if (at->second.enabled != 0) break;
        ++at;
    }
    platform::SYSTEMTIME next = now;
    next.wHour = static_cast<platform::WORD>(at->second.hour);
    next.wMinute = static_cast<platform::WORD>(at->second.minute);
    next.wSecond = 0;
    next.wMilliseconds = 0;
    std::uint64_t time = LocalFileTime(next);
    if (tomorrow) time += 24 * kFileTimePerHour;
    *out = LocalSystemTime(time);
    return 1;
}

}  // namespace timer_core
