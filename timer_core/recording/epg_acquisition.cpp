#include "timer_core/recording/epg_acquisition.h"

#include <algorithm>
#include <string>

namespace timer_core {
namespace {

constexpr std::int32_t kTerrestrialKind = 1;
constexpr std::int32_t kSatelliteKind = 2;
// The plug-in's Status values: collecting, a file error (or a start it refused), finished.
constexpr std::int32_t kCapturingStatus = 1;
constexpr std::int32_t kFileErrorStatus = 2;
constexpr std::int32_t kFinishedStatus = 3;
// Non-zero Status reads after which a Status of 0 means the collection was cancelled.
constexpr int kCancelledAfterReads = 3;
// Unreadable Status reads after which a viewer is given up.
constexpr int kMostUnreadableReads = 5;

using TunerCounts = EpgAcquisitionPort::TunerCounts;

// How the debug lines name a viewer and a tuner kind.
std::wstring Viewer(platform::DWORD pid) {
    return L"FriioView " + std::to_wstring(pid);
}
std::wstring KindName(bool terrestrial) {
    return terrestrial ? L"terrestrial" : L"BS/CS";
}

// The viewer of one tuner kind in this run.
struct KindViewer {
    const bool terrestrial;
    platform::DWORD pid = 0;
    bool done = true;  // nothing to poll
    int nonZeroReads = 0;

    std::int32_t TunerCount(const TunerCounts& counts) const {
        return terrestrial ? counts.terrestrial : counts.satellite;
    }
    bool Pollable(const TunerCounts& counts) const { return !done && TunerCount(counts) > 0; }
};

class Run {
  public:
    explicit Run(EpgAcquisitionPort& port) : port_(port) {}

    void Execute(std::int32_t delayMs) {
        port_.RememberWindowPositions();
        Outcome outcome = Outcome::kGoOn;
        if (port_.Pause(static_cast<platform::DWORD>(std::max(delayMs, 0))))
            outcome = Outcome::kEnd;
        while (outcome == Outcome::kGoOn) {
            outcome = Cycle();
            if (outcome == Outcome::kGoOn && port_.Pause(kEpgPollCycleMs)) outcome = Outcome::kEnd;
        }
        if (outcome == Outcome::kPostAndEnd && completed_ && !port_.Stopped()) {
            port_.PostAcquired();
        }
        if (port_.Stopped()) CloseStartedViewers();
        port_.TerminateViewer(terrestrial_.pid);
        port_.TerminateViewer(satellite_.pid);
        port_.RestoreWindowPositions();
    }

  private:
    enum class Outcome {
        kGoOn,        // next cycle
        kPostAndEnd,  // post WM_EPG_ACQUIRED unless a collection was cancelled, then end
        kEnd,         // end without posting
    };

    Outcome Cycle() {
        const TunerCounts counts = port_.Tuners();
        const bool anyRunning = port_.IsAnyViewerRunning();
        // A viewer this run did not start (a recording's) holds a tuner it needs.
        for (const KindViewer* kind : {&terrestrial_, &satellite_}) {
            if (anyRunning && kind->pid == 0 && kind->TunerCount(counts) > 0) {
                Note(L"a FriioView it did not start holds the " + KindName(kind->terrestrial) +
                     L" tuner; it ends");
                return Outcome::kEnd;
            }
        }
        if (!anyRunning && terrestrial_.pid == 0 && satellite_.pid == 0) return StartPhase(counts);
        return Poll(counts);
    }

    // --- Start phase ---

    Outcome StartPhase(const TunerCounts& counts) {
        platform::DWORD pid = 0;
        std::int32_t kind = 0;
        if (const Outcome outcome = StartAndAsk(0, &pid, &kind); outcome != Outcome::kGoOn) {
            return outcome;
        }
        Take(kind == kTerrestrialKind ? terrestrial_ : satellite_, pid);
        if (counts.terrestrial < 1 || counts.satellite < 1) return Outcome::kGoOn;

        KindViewer& missing = terrestrial_.pid == 0 ? terrestrial_ : satellite_;
        const int devices = counts.terrestrial + counts.satellite;
        for (int device = 1; device < devices; ++device) {
            if (const Outcome outcome = StartAndAsk(device, &pid, &kind);
                outcome != Outcome::kGoOn) {
                return outcome;
            }
            if (kind == (missing.terrestrial ? kTerrestrialKind : kSatelliteKind)) {
                Take(missing, pid);
                return Outcome::kGoOn;
            }
            // A second tuner of the kind already held.
            port_.PostViewerClose(pid);
            port_.TerminateViewer(pid);
            if (port_.Stopped()) return Outcome::kEnd;
        }
        Note(L"no " + KindName(missing.terrestrial) + L" tuner among devices 0 to " +
             std::to_wstring(devices - 1));
        return Outcome::kPostAndEnd;
    }

    // Starts a viewer on the device and reads its tuner kind: kGoOn with a kind of 1 or 2.
    Outcome StartAndAsk(int device, platform::DWORD* pid, std::int32_t* kind) {
        *pid = port_.StartViewer(device);
        if (*pid == 0) {
            if (port_.Stopped()) return Outcome::kEnd;
            Note(L"FriioView did not start on device " + std::to_wstring(device));
            return Outcome::kPostAndEnd;
        }
        starting_ = *pid;
        const bool stopped = port_.Pause(kEpgViewerStartPauseMs);
        starting_ = stopped ? *pid : 0;
        if (stopped) return Outcome::kEnd;
        const std::wstring started = Viewer(*pid) + L" on device " + std::to_wstring(device);
        if (!port_.ReadTunerKind(*pid, kind)) {
            Note(started + L": its tuner kind cannot be read; closing it");
            CloseUnused(*pid, false);
            return port_.Stopped() ? Outcome::kEnd : Outcome::kPostAndEnd;
        }
        if (*kind != kTerrestrialKind && *kind != kSatelliteKind) {
            Note(started + L" reports tuner kind " + std::to_wstring(*kind) + L"; closing it");
            CloseUnused(*pid, true);
            return port_.Stopped() ? Outcome::kEnd : Outcome::kPostAndEnd;
        }
        return Outcome::kGoOn;
    }

    // A viewer that took no part would otherwise keep its tuner after the run.
    void CloseUnused(platform::DWORD pid, bool pluginAnswers) {
        if (pluginAnswers) {
            port_.PostViewerClose(pid);
        } else {
            port_.CloseViewerWindow(pid);
        }
        port_.TerminateViewer(pid);
    }

    // The run was stopped (the timer closes): nobody will wait for the viewers it started any
    // more, and a viewer left collecting would keep its tuner and hold off the next acquisition.
    // Each is asked to close through its window, without waiting; one still starting up may have
    // no window yet and is ended at once.
    void CloseStartedViewers() {
        if (terrestrial_.pid != 0 || satellite_.pid != 0 || starting_ != 0)
            Note(L"stopped before it ended; closing its viewers");
        for (const platform::DWORD pid : {terrestrial_.pid, satellite_.pid}) {
            if (pid != 0) port_.CloseViewerWindow(pid);
        }
        if (starting_ != 0) port_.EndViewer(starting_);
    }

    void Note(const std::wstring& what) { port_.Debug(L"EPG acquisition: " + what); }

    static void Take(KindViewer& kind, platform::DWORD pid) {
        kind.pid = pid;
        kind.done = false;
    }

    // --- Polling ---

    Outcome Poll(const TunerCounts& counts) {
        if (!terrestrial_.Pollable(counts) && !satellite_.Pollable(counts)) {
            return Outcome::kPostAndEnd;
        }
        if (terrestrial_.Pollable(counts)) {
            if (const Outcome outcome = PollKind(terrestrial_, satellite_, counts);
                outcome != Outcome::kGoOn) {
                return outcome;
            }
        }
        if (satellite_.Pollable(counts)) return PollKind(satellite_, terrestrial_, counts);
        return Outcome::kGoOn;
    }

    Outcome PollKind(KindViewer& self, const KindViewer& other, const TunerCounts& counts) {
        std::int32_t status = 0;
        if (!port_.ReadStatus(self.pid, &status)) {
            if (++unreadableReads_ <= kMostUnreadableReads) return Outcome::kGoOn;
            Note(L"the Status of " + Viewer(self.pid) + L" cannot be read; closing it");
            port_.CloseViewerWindow(self.pid);
            port_.TerminateViewer(self.pid);
            return Finish(self, other, counts, Outcome::kPostAndEnd);
        }
        if (status == 0) {
            if (self.nonZeroReads < kCancelledAfterReads) {
                port_.PostCaptureStart(self.pid);
                if (self.terrestrial) self.nonZeroReads = 0;
                return Outcome::kGoOn;
            }
            completed_ = false;  // the collection was cancelled
            Note(L"the collection on " + Viewer(self.pid) + L" was cancelled");
            return Finish(self, other, counts, Outcome::kEnd);
        }
        ++self.nonZeroReads;
        if (status == kCapturingStatus) return Outcome::kGoOn;
        // A file error, a refused start, a finished collection or anything else: the viewer is
        // done.
        if (status != kFinishedStatus) {
            Note(L"the collection on " + Viewer(self.pid) +
                 (status == kFileErrorStatus ? std::wstring(L" failed or was refused (Status 2)")
                                             : L" ended with Status " + std::to_wstring(status)));
        }
        port_.PostViewerClose(self.pid);
        port_.TerminateViewer(self.pid);
        return Finish(self, other, counts, Outcome::kPostAndEnd);
    }

    // The kind is done; the run ends with `last` once the other kind is done too.
    Outcome Finish(KindViewer& self, const KindViewer& other, const TunerCounts& counts,
                   Outcome last) {
        self.done = true;
        if (port_.Stopped()) return Outcome::kEnd;
        return other.Pollable(counts) ? Outcome::kGoOn : last;
    }

    EpgAcquisitionPort& port_;
    KindViewer terrestrial_{true};
    KindViewer satellite_{false};
    platform::DWORD starting_ = 0;  // a viewer started whose kind was not read when stopped
    int unreadableReads_ = 0;       // of both kinds
    bool completed_ = true;
};

}  // namespace

platform::DWORD RunEpgAcquisition(EpgAcquisitionPort& port, std::int32_t delayMs) {
    Run(port).Execute(delayMs);
    return 0;
}

}  // namespace timer_core
