// The record thread: one per record-thread slot, from the moment the scheduler gives the slot a
// reservation until its recording (and those chained behind it) have ended. It waits for the
// start, chooses a free tuner device, prepares a viewer, starts the recording, follows the
// broadcaster's programme information in follow mode, ends the recording and hands the device
// over to a chained reservation. Every change it makes to a reservation is noted to the main
// window with a posted message (0x470 ended, 0x471 chained, 0x472 updated, 0x473 reschedule).
//
// The thread changes shared state only under the manager's data lock and only while its slot is
// not stopped; every pause and wait of it ends as soon as the slot's stop event is set, and a
// stopped thread leaves without posting anything.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_layouts.h"
#include "timer_core/recording/device_lock.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/recording_file_check.h"
#include "timer_core/scheduling/rec_thread_slot.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {

// The thread procedure the manager gives every slot (TimerManager::RecordProcedure). 0.
platform::DWORD RecordThreadProc(const std::shared_ptr<RecThreadSlot>& slot);

// Times of the record thread: FILETIME units (100 ns), signed.
using TimeSpan = std::int64_t;
inline constexpr TimeSpan kSpanSecond = 10'000'000;

// The span in whole seconds, a started second counting whole.
inline std::int64_t CeilSeconds(TimeSpan span) {
    return span >= 0 ? (span + kSpanSecond - 1) / kSpanSecond : -(-span / kSpanSecond);
}

// The clock of one cycle: the present time (moved by the broadcast clock's offset when that
// counts) and r, the time left to the prepared start, StartSec + 5 s before the programme.
struct CycleClock {
    TimeSpan now = 0;
    TimeSpan r = 0;
    bool offsetApplied = false;
};

// The broadcast clock's offset (seconds ahead of the PC clock; nullopt when the plug-in tells
// none) counts only within the last minute before the start, or while the slot continues with
// a chained reservation: then `now` is moved by it.
CycleClock ComputeCycleClock(TimeSpan start, TimeSpan now, std::optional<int> offsetSeconds,
                             int startSec, bool continuing);

// The tuner kind a reservation needs, as FindFreeViewer and ProbeDeviceType count kinds: 1 BS/CS
// (its tuner group 2), 0 terrestrial.
inline int TunerKindFor(const ReserveEntry& reserve) {
    return TunerGroupOf(reserve.channelValue) == kSatelliteGroup ? 1 : 0;
}

class RecordThread {
  public:
    explicit RecordThread(std::shared_ptr<RecThreadSlot> slot);
    RecordThread(const RecordThread&) = delete;
    RecordThread& operator=(const RecordThread&) = delete;

    // The whole thread: Begin, then cycles each closed by a wait of Period() on the stop event,
    // then Leave. 0.
    platform::DWORD Run();

    // Run's steps, for tests that drive a thread cycle by cycle on the simulated clock.
    // The checks at the thread's start: false when it ends at once (no viewer path, the
    // six-hour rule), having noted why.
    bool Begin();
    // One cycle without its closing wait: false when the thread leaves.
    bool Cycle();
    // The wait that closes the last cycle, in milliseconds.
    platform::DWORD Period() const { return period_; }
    // The exit path: the slot's viewer is closed for good and the positions are put back.
    void Leave();

    int Phase() const { return phase_; }
    bool Continuing() const { return continuing_; }
    std::int64_t PlannedSeconds() const { return plannedSeconds_; }

  private:
    // What a cycle reads of the slot, copied under the data lock.
    struct SlotView {
        std::shared_ptr<ReserveEntry> current;  // the reservation this cycle works for
        ReserveEntry reserve;                   // its fields
        std::shared_ptr<ReserveEntry> chained;  // null unless a chained reservation is held
        ReserveEntry next;                      // its fields
        TimerSettings settings;
    };
    enum class EventStep { kFollowed, kOtherService, kLeave };

    std::optional<SlotView> View() const;
    // Runs `change` under the data lock, unless the slot was stopped or its reservation is no
    // longer the one the cycle works for: false then, and the thread leaves.
    template <class F>
    bool Change(const SlotView& view, F&& change);
    // Posts to the main window unless the slot was stopped.
    void PostUnlessStopped(platform::UINT message) const;
    void Post(platform::UINT message) const;
    // A pause on the stop event: true when the slot was stopped meanwhile.
    bool Pause(platform::DWORD ms) const;
    bool SetViewer(const SlotView& view, platform::DWORD pid);
    void CloseViewer(platform::DWORD pid) const;
    CycleClock ClockOf(const SlotView& view) const;
    // Under the data lock: both reservations lose their assigned flags.
    void DropAssignments(const SlotView& view) const;

    // The waiting phase and the device choice.
    bool Waiting(const SlotView& view, const CycleClock& clock);
    bool ChooseDevice(const SlotView& view, bool sweepOrphans);
    void CloseOrphans(int kind) const;

    // The final minute.
    bool FinalMinute(const SlotView& view, const CycleClock& clock);
    bool CheckViewer(const SlotView& view);
    bool FollowFinalMinute(const SlotView& view, const CycleClock& clock);
    bool FixedFinalMinute(const SlotView& view, const CycleClock& clock);
    bool FollowOffAfterUnreadablePolls(const SlotView& view);
    EventStep FollowEvent(const SlotView& view, const CycleClock& clock,
                          const shared::PluginEventInfo& event);
    // Asks for the recording now, by the cycle's clock.
    bool StartRecording(const SlotView& view, const CycleClock& clock);
    // The name of the file the viewer is asked to record into.
    std::wstring RecordingName(const SlotView& view) const;
    // The programme moved (its following event starts elsewhere) or is not there yet: the
    // reservation is given back to the scheduler with its new start, and the thread ends.
    void MoveStart(const SlotView& view, const CycleClock& clock,
                   const shared::PluginEventInfo& event, bool postpone);
    void AdjustChainedToMove(const ReserveEntry& moved, bool postpone, bool startChanged) const;
    bool OnAirStart(const SlotView& view, const CycleClock& clock,
                    const shared::PluginEventInfo& event);
    void AdjustChainedToOnAir(const ReserveEntry& current,
                              const shared::PluginEventInfo& event) const;

    // The recording phase.
    bool Recording(const SlotView& view, const CycleClock& clock);
    TimeSpan HandOverEnd(const SlotView& view, TimeSpan end) const;
    std::int64_t LengthBeforeChained(const SlotView& view, std::int64_t ownSeconds) const;
    bool ViewerLost(const SlotView& view);
    bool FinishRecording(const SlotView& view);
    bool FollowLength(const SlotView& view);

    std::shared_ptr<RecThreadSlot> slot_;
    std::shared_ptr<TimerManager> manager_;
    FriioViewLauncher launcher_;
    shared::SharedMemoryBlock rec_;
    // The slot's viewer and device as this thread, their only writer, last set them.
    platform::DWORD viewer_ = 0;
    std::int32_t device_ = RecThreadSlot::kNoDevice;
    int phase_ = 0;  // 0 not started, 1 started in the final minute, 2 recording phase entered
    bool deviceChosen_ = false;
    std::int64_t plannedSeconds_ = 0;
    bool continuing_ = false;
    int unreadableEvents_ = 0;
    platform::DWORD period_ = 0;
    // Seconds from the moment the recording was asked for to the reservation's start (negative:
    // asked after it); the margin of every later request of its length is made from it.
    std::int64_t leadSeconds_ = 0;
    // The recording's file as it was when the recording was asked for.
    RecordingFileCheck file_;
    // The viewer the thread closed at a recording's end itself (its absence is no failure).
    platform::DWORD closedViewer_ = 0;
};

template <class F>
bool RecordThread::Change(const SlotView& view, F&& change) {
    const std::lock_guard lock(manager_->DataLock());
    if (slot_->StopRequested() || slot_->currentReserve != view.current) return false;
    change();
    return true;
}

}  // namespace timer_core
