// The timed EPG acquisition: at an EPG time the timer starts one viewer per tuner kind without a
// channel, asks the capture plug-in in each to collect the programme guide of all channels, polls
// their capture Status every 10 s until both are done, and then tells the main window to reload
// the EPG data files (WM_EPG_ACQUIRED).
//
// RunEpgAcquisition is the run itself, over an EpgAcquisitionPort: EpgAcquireThreadProc gives it
// the real viewers, plug-ins and main window; tests give it stand-ins.
//
// A run that is stopped (its stop event) ends at the next wait without posting; the viewers it
// started are asked to close through their windows, without waiting for them, and one still
// starting up is ended (the timer is closing, and a viewer left collecting would keep its tuner
// and, since a running viewer holds off every acquisition, the next acquisitions too). Choices
// where the run could otherwise misbehave:
//   - A negative delay (the EPG time lay a few seconds in the past when it was armed) is waited
//     as 0: the acquisition starts at once.
//   - A viewer whose tuner kind cannot be read, or reads as anything but 1 (terrestrial) or 2
//     (BS/CS), is of no use: it is closed and the run ends as after a failed start (0x474).
//   - Each kind counts its own non-zero Status reads, so a collection that is slow to begin on
//     one tuner is not taken as cancelled because the other tuner's collection ran meanwhile.
//   - A kind whose tuner count is 0 (also when the settings change during the run) is never
//     polled, so it counts as done: the run does not wait for it forever.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

namespace timer_core {

// What one run does outside itself. Every waiting call ends early once the run is stopped.
class EpgAcquisitionPort {
  public:
    struct TunerCounts {
        std::int32_t terrestrial = 0;  // TunerCount
        std::int32_t satellite = 0;    // TunerCount2
    };

    virtual ~EpgAcquisitionPort() = default;

    // The settings' tuner counts, read afresh at every cycle.
    virtual TunerCounts Tuners() = 0;
    virtual bool IsAnyViewerRunning() = 0;
    // Starts a viewer for EPG use on the device: its process id, or 0 when none was started.
    virtual platform::DWORD StartViewer(int device) = 0;
    // The plug-in's objects of that viewer: false when they cannot be read.
    virtual bool ReadTunerKind(platform::DWORD pid, std::int32_t* kind) = 0;
    virtual bool ReadStatus(platform::DWORD pid, std::int32_t* status) = 0;
    // 0x432 and 0x434 to the viewer's plug-in.
    virtual void PostCaptureStart(platform::DWORD pid) = 0;
    virtual void PostViewerClose(platform::DWORD pid) = 0;
    // Closes the viewer through its main window (for a viewer whose plug-in does not answer).
    virtual void CloseViewerWindow(platform::DWORD pid) = 0;
    // Waits for the viewer's end and ends it when it does not go; 0 does nothing.
    virtual void TerminateViewer(platform::DWORD pid) = 0;
    // Ends the viewer at once when it still runs.
    virtual void EndViewer(platform::DWORD pid) = 0;
    // WM_EPG_ACQUIRED to the main window.
    virtual void PostAcquired() = 0;
    // One debug line: what went wrong, so that a failed run leaves its reason in the debug log.
    virtual void Debug(const std::wstring& line) = 0;
    // Waits the clock time given: true when the run was stopped (before or meanwhile).
    virtual bool Pause(platform::DWORD ms) = 0;
    virtual bool Stopped() = 0;
    // The viewers' window positions before the run, and written back after it.
    virtual void RememberWindowPositions() = 0;
    virtual void RestoreWindowPositions() = 0;
};

inline constexpr platform::DWORD kEpgViewerStartPauseMs = 4000;
inline constexpr platform::DWORD kEpgPollCycleMs = 10000;

// One run: waits `delayMs` (a negative delay as 0), then starts, polls and closes the viewers.
// Always 0.
platform::DWORD RunEpgAcquisition(EpgAcquisitionPort& port, std::int32_t delayMs);

}  // namespace timer_core
