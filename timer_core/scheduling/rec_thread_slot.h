// One busy tuner: a record thread and the reservations it records. The tuner assignment makes a
// slot and starts its thread; the scheduler and the manager stop it (see timer_manager.h for who
// may touch which member, and under which lock).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/event.h"
#include "platform/thread.h"
#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {

class TimerManager;

class RecThreadSlot {
  public:
    static constexpr std::int32_t kNoDevice = 255;
    static constexpr platform::DWORD kStopWaitMs = 2000;

    RecThreadSlot() = default;
    RecThreadSlot(const RecThreadSlot&) = delete;
    RecThreadSlot& operator=(const RecThreadSlot&) = delete;

    // The owner's stop: sets the stop event and, when the slot has a thread, waits up to
    // 2000 ms for it to end. A thread that is still running then is detached, never killed: it
    // keeps the slot (and through `owner` the manager's state) alive until it returns. The
    // thread object is released in every case. Main thread only, without the data lock.
    void Stop();

    // Whether the stop event is set. A record thread checks it under the data lock before every
    // change it makes to shared state: once the owner has let go of a slot, its thread changes
    // nothing any more, even when it overruns the stop wait.
    bool StopRequested() const;

    // Main thread only.
    std::unique_ptr<platform::Thread> thread;
    // Manual reset, unsignalled until the owner stops the slot. Every wait of the record thread
    // waits on it, so that a stop ends the thread in time.
    const platform::Event stopEvent{true, false};

    // Guarded by the owner's data lock (TimerManager::DataLock), read and written by the main
    // thread and by the slot's own record thread.
    std::uint32_t viewerProcessId = 0;     // 0 = none
    std::int32_t deviceIndex = kNoDevice;  // 255 = none
    std::shared_ptr<ReserveEntry> currentReserve;
    std::int32_t chainedFlag = 0;  // 1 = chainedReserve is recorded next
    std::shared_ptr<ReserveEntry> chainedReserve;

    // The manager the slot belongs to: a handle on the same state as the main window's manager,
    // which stays valid while the thread runs (set once, before the thread starts).
    std::shared_ptr<TimerManager> owner;
};

}  // namespace timer_core
