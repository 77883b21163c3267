// What the processes of one simulated world share about their clock, in a small file of the
// runtime folder that each of them maps: the offset SetLocalTime adds, and the holds that stop the
// clock while a program of the world starts.
//
// A program's start-up costs real time whatever the clock's rate: at twenty times real time, the
// second a viewer takes to load its plug-in is twenty seconds of the clock, and a timer that gives
// the viewer four seconds to come up would find nothing. So the clock stands still from the moment
// a program is created until it reports that it is ready (or ends, or a real-time bound passes):
// every process of the world then sees the start-up take no clock time at all, as a quiet machine
// at real time nearly does.
//
// Readers never lock: the hold fields are guarded by a sequence number. Writers take a lock on
// the file (and a mutex within the process).
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace platform {

class SharedClockState {
  public:
    // Holds the simulated clock can carry at once; a start beyond them is not held.
    static constexpr int kHoldSlots = 64;

    // key names the simulation (processes with the same key share the state).
    explicit SharedClockState(const std::string& key);
    ~SharedClockState();
    SharedClockState(const SharedClockState&) = delete;
    SharedClockState& operator=(const SharedClockState&) = delete;

    // The file of a simulation's state in the present runtime folder; empty when there is none.
    static std::filesystem::path PathFor(const std::string& key);
    // The file this state was set up on; empty when it could not be.
    const std::filesystem::path& Path() const { return path_; }

    // 100-ns units added to the simulated local time; 0 when nothing was moved.
    std::int64_t LoadOffset() const;
    // False when the shared file could not be set up (the clock then cannot be moved).
    bool StoreOffset(std::int64_t offset);

    // Real nanoseconds (CLOCK_REALTIME) the clock has stood still up to the real instant `nowNs`.
    std::int64_t HeldNs(std::int64_t nowNs) const;
    // True while a hold stops the clock at `nowNs`.
    bool IsHeld(std::int64_t nowNs) const;

    // Starts a hold that ends by itself `limitNs` of real time after `nowNs`; the slot, or nullopt
    // when no slot is free or the file could not be set up.
    std::optional<int> BeginHold(std::int64_t nowNs, std::int64_t limitNs);
    // The program the hold waits for: from now on the hold also ends when that process does.
    void AttachHold(int slot, pid_t pid);
    void EndHold(int slot, std::int64_t nowNs);
    // Ends every hold that waits for `pid`.
    void EndHoldsOf(pid_t pid, std::int64_t nowNs);
    // Ends the holds whose program (or, before it was attached, whose creator) has ended.
    void EndHoldsOfEndedPrograms(std::int64_t nowNs);

    // How many holds ended by their real-time bound, not by their program (for tests and the
    // debug output: a program that never reports it is ready).
    std::int64_t HoldsEndedByBound() const;

  private:
    struct Data;
    struct HoldFields {
        std::int64_t held, start, end;
    };

    HoldFields ReadHoldFields() const;
    // Writers: under both locks, with the sequence number odd.
    template <typename Change>
    void Write(std::int64_t nowNs, Change change);
    void FoldEndedHold(std::int64_t nowNs);
    void ReleaseSlot(int slot, std::int64_t nowNs);

    std::filesystem::path path_;
    Data* data_ = nullptr;  // mapped; null when the file could not be mapped
    int fd_ = -1;
    std::mutex writer_;
};

}  // namespace platform
