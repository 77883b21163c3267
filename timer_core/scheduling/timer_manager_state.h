// What a TimerManager and every thread it starts share (see timer_manager.h for the locking
// rule). Operations of the manager in other files include this header.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/critical_section.h"
#include "platform/event.h"
#include "platform/thread.h"
#include "platform/win_types.h"
#include "timer_core/power/wake_timer.h"
#include "timer_core/reservations/reserve_list.h"
#include "timer_core/scheduling/epg_time_entry.h"
#include "timer_core/scheduling/rec_thread_slot.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_settings.h"

namespace timer_core {

struct TimerManager::State {
    explicit State(std::wstring iniFile) : iniPath(std::move(iniFile)) {}

    const std::wstring iniPath;
    mutable platform::CriticalSection dataLock;
    mutable platform::CriticalSection deviceLock;

    // Guarded by the data lock.
    std::map<std::wstring, EpgTimeEntry> epgTimes;  // "%02d%02d" -> time
    std::vector<std::shared_ptr<RecThreadSlot>> group1Slots;
    std::vector<std::shared_ptr<RecThreadSlot>> group2Slots;
    ReserveList reservations;
    TimerSettings settings;
    platform::HWND mainWindow = 0;
    std::int32_t epgDelay = kDefaultEpgDelayMs;
    RecordProcedure recordProcedure;

    // Main thread only.
    WakeTimer wakeTimer;
    std::unique_ptr<platform::Thread> epgThread;
    // Each thread gets a stop event of its own: one that overran its stop and was detached must
    // still see its stop when the next thread starts.
    platform::Event epgStopEvent{true, false};
    EpgProcedure epgProcedure;
    // The EPG time (FILETIME) the last thread was started for; 0: none yet.
    std::uint64_t lastArmedEpgTime = 0;
};

}  // namespace timer_core
