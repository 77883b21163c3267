// The recording timer's central object: the reservation store, the two tuner groups of
// record-thread slots, the settings of the ini file, the wake-up timer and the bookkeeping of the
// timed EPG acquisition. The scheduler tick and the tuner assignment are its operations; the
// record threads run on its slots.
//
// Ownership. The main window holds one TimerManager for its whole life. Its state lives in a
// shared TimerManager::State: every slot holds a second, non-owning TimerManager on the same state
// (RecThreadSlot::owner), and a slot's thread holds its slot; the EPG acquisition thread holds
// such a manager of its own, and a stop event no later thread shares. A thread that does not end
// within the 2000 ms of a stop is detached, not killed, and keeps the slot, its reservations and
// the manager's state alive until it returns. Only the main window's manager stops threads: its
// destructor stops every slot, the EPG acquisition thread and the wake-up waiter; a non-owning
// manager's destructor does nothing.
//
// Threads and locks. Operations run on the main window's thread unless noted. Record threads (and
// the EPG acquisition thread) share state with it, guarded as follows:
//   - The data lock (DataLock()) guards the reservation store (its indexes and every field of
//     every ReserveEntry, the assigned and postponed flags included), both slot vectors, every
//     slot member except `thread` and `stopEvent`, the settings, the main-window handle, the EPG
//     delay and the EPG-time map. Whoever reads or writes any of them takes it, the main window's
//     own code too (a ReserveEntry* from GetReserveAt or GetNextReserve is read under it).
//   - It is held for short sections only: never while waiting for a thread, sleeping, or
//     starting, asking or ending a viewer (the store's own loads and saves of Program.txt are the
//     longest sections). The manager's operations take it themselves and release it before they
//     wait; call them without holding it.
//   - The device lock (DeviceLock()) serialises the record threads' choice of viewer and device
//     index and may be held across that whole choice. Lock order: the device lock first, then the
//     data lock; never take the device lock while holding the data lock.
//   - The manager sets a slot's stop event only while it holds the data lock, and from then on
//     the slot is no longer the thread's to change. So a record thread, after taking the data
//     lock, checks RecThreadSlot::StopRequested() before it writes anything shared (flags,
//     reservation fields, slot members, the store) and leaves when it is set.
//   - Record threads may call, with or without the data lock held (it is recursive):
//     Settings(), MainWindow(), RekeyReserve, GetEffectiveDuration, AutoDeleteForSpace (better
//     without the data lock: it deletes files), DumpSlots, SlotsOfGroup and Reservations() (under
//     the lock); and, holding the device lock but not the data lock, FindFreeViewer,
//     IsDeviceIndexUsed and ProbeDeviceType. Everything else is the main window's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/critical_section.h"
#include "platform/event.h"
#include "platform/system_time.h"
#include "platform/win_types.h"
#include "timer_core/reservations/reserve_entry.h"
#include "timer_core/reservations/reserve_list.h"
#include "timer_core/scheduling/rec_thread_slot.h"
#include "timer_core/scheduling/timer_settings.h"

namespace timer_core {

class TimerManager {
  public:
    // What a slot's thread runs: the record thread (RecordThreadProc), or in tests a stand-in.
    // It receives its slot and returns its exit code.
    using RecordProcedure = std::function<platform::DWORD(const std::shared_ptr<RecThreadSlot>&)>;

    // What the EPG acquisition thread runs: EpgAcquireThreadProc, or in tests a stand-in. It
    // receives a manager to keep (ShareWithThread), its stop event and the EPG delay in
    // milliseconds, and returns its exit code.
    using EpgProcedure = std::function<platform::DWORD(const std::shared_ptr<TimerManager>&,
                                                       const platform::Event&, std::int32_t)>;

    static constexpr platform::DWORD kStopWaitMs = 2000;
    static constexpr std::int32_t kDefaultEpgDelayMs = 60000;

    // The ini file lies beside the executable and carries its base name ("Orvandel.ini").
    TimerManager();
    // The same with another ini file (tests, tools).
    explicit TimerManager(std::wstring iniPath);
    ~TimerManager();
    TimerManager(const TimerManager&) = delete;
    TimerManager& operator=(const TimerManager&) = delete;

    // The procedure every new slot's thread runs: RecordThreadProc unless set otherwise; an
    // empty one gives slots whose thread ends at once. Set before the first tick.
    void SetRecordProcedure(RecordProcedure procedure);
    // The procedure of the EPG acquisition threads started from now on; none (the default) runs
    // EpgAcquireThreadProc.
    void SetEpgProcedure(EpgProcedure procedure);

    // --- Settings and files ---
    const std::wstring& IniPath() const;
    // Reads section "SET" of the ini file. Always 1.
    int LoadSettings();
    // A copy of the settings, taken under the data lock.
    TimerSettings Settings() const;
    platform::HWND MainWindow() const;
    void SetMainWindow(platform::HWND window);

    // Loads Program.txt (renumbering) and saves it again: 1, or 0 for an empty path or a failed
    // load (the file is then not rewritten).
    int LoadReserveFile(std::wstring_view path);
    // The same with a merge of the lines other writers appended.
    int MergeReserveFile(std::wstring_view path);
    // ReserveList::SaveProgramFile.
    int SaveReserveFile(std::wstring_view path);

    // Lists the reservations that start while an earlier one of their tuner group runs, when
    // they are at least as many as the group's tuners. 1 when there is none (text empty), 0 with
    // the report in `out`.
    int CheckOverlaps(std::wstring* out) const;

    // --- Scheduler ---
    // Reaps ended record threads, re-arms the wake-up timer, (mode 1) releases what does not
    // begin within the next minute, and hands the reservations of the next three hours that need
    // a tuner to the assignment. 1 when at least one was handed over.
    int Tick(int mode);

    // Arms the wake-up timer for the next reservation or EPG acquisition. 0 when the PC must stay
    // awake (a recording within 10 minutes, the timer refused, a suppression process running), 1
    // when it may sleep.
    int SetNextWakeUp();

    // With AutoDel 1: deletes old recordings in the viewer's recording folder until the slots'
    // recordings fit. May be called from a record thread, without the data lock.
    void AutoDeleteForSpace();

    // The n-th reservation in start order, or null. Read it under the data lock.
    ReserveEntry* GetReserveAt(int n) const;
    // The first reservation filed under a later minute than the present one whose start is a
    // valid date, or null.
    ReserveEntry* GetNextReserve() const;

    // Releases the reservation from every slot (stopping a slot that records it), then removes
    // it from the store.
    void DeleteReserve(std::int32_t id);

    // Stops and removes every slot of both groups.
    void StopAllRecordThreads();

    // One debug line per slot: its reservation and the chained one.
    void DumpSlots() const;

    // --- Tuner assignment ---
    // Gives R a slot of its group, chains it behind one, lets it displace or replace another
    // reservation, or leaves it unassigned (its assigned flag tells). 0 when the group has no
    // tuner, else 1. A reservation of the other group is passed on to the other operation.
    int AssignGroup1(const std::shared_ptr<ReserveEntry>& reserve);
    int AssignGroup2(const std::shared_ptr<ReserveEntry>& reserve);

    // --- Viewer and device choice (record threads, holding the device lock) ---
    // A running viewer whose plug-in reports the tuner kind (0 terrestrial: value 1, 1 BS/CS:
    // value 2) and that no slot of the matching group (1 for kind 0, 2 for kind 1) records with.
    // Every viewer is examined and the last such one is given: 1 with its id in `pid`, else 0.
    int FindFreeViewer(int kind, platform::DWORD* pid) const;
    // 1 when a slot of either group has this device index.
    int IsDeviceIndexUsed(int deviceIndex) const;
    // The tuner kind of the device: 0 terrestrial, 1 BS/CS. A device a slot uses has its group's
    // kind; any other is asked through a viewer started for it (its plug-in, then its window, up
    // to 11 seconds; no answer: 0), which is closed again. Every pause ends at once when `stop`
    // (the asking thread's stop event, or null) is signalled, and 0 is given then.
    int ProbeDeviceType(int deviceIndex, const platform::Event* stop = nullptr) const;

    // --- Timing rules ---
    // Files the entry in the start index under the minute before its start; its start stays.
    void RekeyReserve(ReserveEntry* entry);

    // The next enabled EPG acquisition time (today or tomorrow) from section "Orvandel": 1, or 0
    // when no time is enabled.
    int GetNextEpgTime(platform::SYSTEMTIME* out);

    // --- Timed EPG acquisition (main window: every 120 s, after resume, reload and settings) ---
    // When the next EPG time is at most 120 s away (or has just passed), stops a running EPG
    // acquisition thread and starts a new one that waits for the time. 0 when it declines
    // because a viewer runs or a reservation starts less than 90 minutes after the EPG time;
    // otherwise 1, also when nothing was to be done (no enabled time, the time not near, or
    // the time already armed once and past).
    int CheckEpgAcquisition();

    // --- Shared state ---
    platform::CriticalSection& DataLock() const;
    platform::CriticalSection& DeviceLock() const;
    // The store; use it under the data lock.
    ReserveList& Reservations() const;
    // A copy of the slot vector of group 1 or 2, taken under the data lock.
    std::vector<std::shared_ptr<RecThreadSlot>> SlotsOfGroup(int group) const;
    // A non-owning manager on the same state, for a thread to keep (see above).
    std::shared_ptr<TimerManager> ShareWithThread() const;

    struct State;  // timer_core/scheduling/timer_manager_state.h

  private:
    explicit TimerManager(std::shared_ptr<State> state);

    using SlotList = std::vector<std::shared_ptr<RecThreadSlot>>;

    // Reads Program.txt into the store with `read` and, when that succeeded, saves it again.
    int ReadReserveFile(std::wstring_view path, int (ReserveList::*read)(std::wstring_view));
    SlotList& GroupSlots(int group) const;
    // Under the data lock: erases the slot from its group, sets its stop event and drops its
    // reservations. The caller stops it with StopReleased.
    std::shared_ptr<RecThreadSlot> ReleaseSlot(int group, std::size_t index);
    // Under the data lock: the reservation's assigned flag becomes 0 unless a slot holds it.
    void DropReserve(const std::shared_ptr<ReserveEntry>& reserve) const;
    // Under the data lock: the slot lets go of its chained reservation, which is dropped.
    void DropChained(RecThreadSlot& slot) const;
    // Waits for released slots to end, without holding the data lock.
    static void StopReleased(std::vector<std::shared_ptr<RecThreadSlot>>& released);
    // Under the data lock: releases the slots whose thread has ended, in groups with tuners.
    void ReapEndedSlots(std::vector<std::shared_ptr<RecThreadSlot>>& released);
    // Waits up to 500 ms, without the data lock, for each record thread that has given its
    // reservation up (its assigned flag is 0) and is about to end, so that the reaping finds it
    // ended.
    void AwaitEndingThreads();
    // SetNextWakeUp; without askSuppressionList a wake-up that may be slept for gives the arming's
    // result whether or not a process of the suppression list runs (the tick, which has no use
    // for the answer, spares the walk over every process that asking costs).
    int NextWakeUp(bool askSuppressionList);

    int AssignToGroup(int group, const std::shared_ptr<ReserveEntry>& reserve);
    void OpenSlot(int group, const std::shared_ptr<ReserveEntry>& reserve);
    void PlaceWhenAllBusy(int group, const std::shared_ptr<ReserveEntry>& reserve);

    std::shared_ptr<State> state_;
    bool owning_;
};

// The minutes the slot's current reservation records when a chained one follows: its own length,
// or up to the chained start when the chained reservation wins on priority. 0 without a slot.
int GetEffectiveDuration(const RecThreadSlot* slot, const TimerManager& manager);

// Adds a copy of the entry under a new ID unless a reservation of the same programme is stored:
// 0 then, else the result of ReserveList::Add.
int AddReserveUnlessKnown(TimerManager& manager, const ReserveEntry* entry);

// 1 when `currentStart` lies more than 6 hours after the planned start that a follow-mode move
// wrote into the result text ("(予約時 2026/12/04 20:30)"), else 0 (also without such a text).
int CheckFollowLimit(std::wstring_view resultText, const platform::SYSTEMTIME& currentStart);

}  // namespace timer_core
