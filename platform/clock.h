// The one clock of a process. Local wall time, the tick count, sleeps and every timed wait of the
// platform layer go through it, so that a simulated clock (ORVANDEL_SIM_CLOCK) moves all of them
// together: "<YYYY-MM-DDTHH:MM:SS>,<rate>,<anchor>" starts the simulated local time at the given
// wall time at the real instant <anchor> (Unix seconds, fractions allowed) and lets it run <rate>
// times as fast as real time. Every process started with the same value sees the same time.
//
// A simulated clock stands still while a program of its world starts (see shared_clock_state.h):
// from its creation (CreateProcessW) until it calls ReportProgramReady, ends, or a real-time bound
// passes. Waits count clock time, so a wait that spans a start-up lasts until the clock has moved
// by its length. Without the simulation nothing is held.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "platform/system_time.h"

namespace platform {

struct SimClockSetting {
    std::uint64_t startLocal = 0;  // FILETIME value of the simulated start
    double rate = 1.0;
    double anchorUnixSeconds = 0.0;
};

// Parses an ORVANDEL_SIM_CLOCK value; nullopt when it is malformed.
std::optional<SimClockSetting> ParseSimClockSetting(const std::string& text);

// Formats a setting that starts `startLocal` now (used by tests and the demo to start processes
// on one simulated clock).
std::string FormatSimClockSetting(const SYSTEMTIME& startLocal, double rate);

class SharedClockState;

class Clock {
  public:
    // The process's clock, set up from the environment on first use.
    static Clock& Instance();

    explicit Clock(std::optional<SimClockSetting> sim);
    ~Clock();
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    bool IsSimulated() const { return sim_.has_value(); }
    double Rate() const { return sim_ ? sim_->rate : 1.0; }

    // Local wall time as a FILETIME value (100-ns units since 1601, no time-zone conversion).
    std::uint64_t NowLocal() const;

    // Milliseconds since an arbitrary origin, advancing at the clock's rate.
    std::uint64_t TickMs() const;
    // The same at full precision.
    std::chrono::nanoseconds Elapsed() const;
    // The real time the clock has been running since its origin (the time it stood still left
    // out): what pacing by real time counts, so that nothing happens while the world is held.
    std::chrono::nanoseconds RunningRealTime() const;

    // The real time a wait of the given clock time takes while the clock runs.
    std::chrono::nanoseconds ToReal(std::chrono::nanoseconds clockTime) const;
    std::chrono::nanoseconds ToRealMs(DWORD ms) const {
        return ToReal(std::chrono::milliseconds(ms));
    }
    // How long (real time) to wait before looking again whether `clockLeft` of clock time has
    // passed: its real length, or a short pause while the clock stands still. 0 when nothing is
    // left.
    std::chrono::nanoseconds RealWait(std::chrono::nanoseconds clockLeft) const;

    // True when a program started now would run on this clock: the environment names the same
    // simulation and the same runtime folder as when the clock was set up.
    bool SharedWithNewPrograms() const;
    // A program is being created: the simulated clock stands still until it is ready. The hold's
    // slot, or -1 when nothing is held (no simulation, or no slot free).
    int BeginStartUpHold();
    // The program the hold waits for (its process id), once it was created.
    void AttachStartUpHold(int slot, int pid);
    // Ends a hold (its program could not be created).
    void EndStartUpHold(int slot);
    // The calling process is ready: the holds that wait for it end.
    void ReportReady();
    // The calling process is ending: the clock stands still until it has (its shutdown costs
    // real time, as its start does).
    void HoldUntilExit();
    // How many holds of the world ended by their real-time bound instead of a ready report.
    std::int64_t HoldsEndedByBound() const;

    // Sets local wall time. Simulated: moves the simulated clock of every process of the
    // namespace that runs the same simulation (an offset shared through the runtime folder) and
    // never the machine's clock; sleeps, waits and the tick count are not affected. Real: sets
    // the machine's clock, false without the privilege.
    bool SetLocal(std::uint64_t fileTime);

  private:
    // Real nanoseconds since the simulation's anchor that the clock ran (held time left out).
    std::int64_t SimulatedRunningNs() const;
    // Clock seconds since the simulation's anchor (without SetLocal's offset).
    double SimulatedSeconds() const;
    std::uint64_t SimulatedBase() const;
    // While a hold lasts, now and then ends those whose program has ended without a report.
    void SweepHolds(std::int64_t nowNs) const;

    std::optional<SimClockSetting> sim_;
    std::int64_t anchorNs_ = 0;
    std::unique_ptr<SharedClockState> shared_;
    mutable std::atomic<std::int64_t> lastSweepNs_{0};
};

// A deadline of the clock: a span of clock time from now.
class ClockDeadline {
  public:
    explicit ClockDeadline(std::chrono::nanoseconds span, const Clock& clock = Clock::Instance());
    bool Passed() const { return RealWait() == std::chrono::nanoseconds(0); }
    // How long to wait (real time) before looking again; 0 once the deadline has passed.
    std::chrono::nanoseconds RealWait() const;

  private:
    const Clock& clock_;
    std::chrono::nanoseconds due_;
};

// Holds a simulated clock while a program is created: from construction (before the process
// exists) until the program is ready. A hold whose program was never started ends with it.
class StartUpHold {
  public:
    // On this process's clock, when a program started now shares it (it inherits the same
    // simulation and runtime folder).
    StartUpHold() : StartUpHold(Clock::Instance(), Clock::Instance().SharedWithNewPrograms()) {}
    // On a world's clock that the caller knows the program will run on.
    explicit StartUpHold(Clock& clock) : StartUpHold(clock, true) {}
    ~StartUpHold() {
        if (!started_) clock_.EndStartUpHold(slot_);
    }
    StartUpHold(const StartUpHold&) = delete;
    StartUpHold& operator=(const StartUpHold&) = delete;

    // The program runs as process `pid`: the hold now lasts until it is ready or has ended.
    void Started(int pid) {
        clock_.AttachStartUpHold(slot_, pid);
        started_ = true;
    }

  private:
    StartUpHold(Clock& clock, bool hold)
        : clock_(clock), slot_(hold ? clock.BeginStartUpHold() : -1) {}

    Clock& clock_;
    int slot_;
    bool started_ = false;
};

// The calling program is ready (its windows are up and it answers): a simulated clock held
// since its creation runs on. Nothing without the simulation.
void ReportProgramReady();
// The calling program has begun to end: a simulated clock stands still until it has ended.
void HoldClockUntilExit();

// The machine's UTC instant of a local wall time (FILETIME value), with the present offset from
// UTC: what the real clock is set to, or a machine alarm armed for.
timespec LocalToRealtime(std::uint64_t localFileTime);

void GetLocalTime(SYSTEMTIME* out);
BOOL SetLocalTime(const SYSTEMTIME* in);
DWORD GetTickCount();
std::uint64_t GetTickCount64();
// Sleeps the given clock time (INFINITE is not accepted; use an event wait for that).
void Sleep(DWORD ms);

}  // namespace platform
