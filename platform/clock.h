// The one clock of a process. Local wall time, the tick count, sleeps and every timed wait of the
// platform layer go through it, so that a simulated clock (ORVANDEL_SIM_CLOCK) moves all of them
// together: "<YYYY-MM-DDTHH:MM:SS>,<rate>,<anchor>" starts the simulated local time at the given
// wall time at the real instant <anchor> (Unix seconds, fractions allowed) and lets it run <rate>
// times as fast as real time. Every process started with the same value sees the same time.
#pragma once

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

class SharedClockOffset;

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

    // The real time a wait of the given clock time takes.
    std::chrono::nanoseconds ToReal(std::chrono::nanoseconds clockTime) const;
    std::chrono::nanoseconds ToRealMs(DWORD ms) const {
        return ToReal(std::chrono::milliseconds(ms));
    }

    // Sets local wall time. Simulated: moves the simulated clock of every process of the
    // namespace that runs the same simulation (an offset shared through the runtime folder) and
    // never the machine's clock; sleeps, waits and the tick count are not affected. Real: sets
    // the machine's clock, false without the privilege.
    bool SetLocal(std::uint64_t fileTime);

  private:
    // Clock seconds since the simulation's anchor (without SetLocal's offset).
    double SimulatedSeconds() const;
    std::uint64_t SimulatedBase() const;

    std::optional<SimClockSetting> sim_;
    std::unique_ptr<SharedClockOffset> offset_;
};

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
