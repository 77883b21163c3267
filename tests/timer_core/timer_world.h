// End-to-end world of the timer: a TimerManager in a process of its own (helpers/timer_host.cpp,
// the main window stand-in, which handles 0x46F-0x474 as the main window does and reports them),
// the real FriioView with its two tuner devices (0 terrestrial, 1 BS/CS) and the real capture
// plug-in beside it, on a synthetic broadcast, all on one simulated clock, in a private folder,
// namespace, home, Documents folder and registry.
//
// How to use it (see end_to_end_epg_acquisition_test.cpp):
//   TimerWorldOptions options;
//   options.clockStart = ...; options.clockRate = 20;        // the host clock
//   options.viewer.broadcastDescription = "...";             // broadcast_description_file.h
//   options.viewer.channelsIni = L"[東京]\r\n21=みなと総合\r\n";  // and bscs.ini
//   options.timerIni.push_back({L"SET", L"StartSec", L"10"});
//   TimerWorld world(options);
//   ASSERT_TRUE(world.Start());               // host up, its start-up (load, tick, check) done
//   world.AddReservation(entry);              // appended to Program.txt, merged through 0x46F
//   auto at = world.WaitForMessage(timer_core::WM_RECORDING_ENDED);  // host time, or nullopt
//   world.Reservations();                     // Program.txt as the host last saved it
//   world.RecordingFiles();                   // the viewer's .ts files and their sizes
//   world.WaitUntilFileStopsGrowing(file, 5000);  // host time of the file's last growth
//   TimerWorld::TotSpan(file);                // first and last TOT/TDT time in a recording
//   world.KillViewer(world.ViewerPids().front());
// The host runs whatever record procedure the TimerManager has by default. Every wait is on the
// host's report lines or on a file, in real milliseconds; RealMs turns host clock time into real
// time. A failing test gets the host's reports and the end of the debug log of every process
// printed. The destructor (or Stop) quits the host and ends every viewer of the world. The
// viewer's Bitrate counts per real second. The timer gives a viewer it starts a few seconds of
// clock (4 s in the EPG acquisition) before it asks its plug-in; a viewer publishes within about
// 100 ms of real time (80-100 ms under the sanitizers on a busy machine), so a rate of 10 leaves
// four times that.
#pragma once

#ifdef FRIIOVIEW_PATH

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/system_time.h"
#include "platform/win_types.h"
#include "tests/support/helper_process.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/reservations/reserve_entry.h"
#include "tools/collection_world.h"

namespace timer_core_test {

struct IniValue {
    std::wstring section;
    std::wstring key;
    std::wstring value;
};

struct TimerWorldOptions {
    // The host clock: its local time when the host starts, and its rate.
    platform::SYSTEMTIME clockStart{2026, 12, 4, 5, 20, 0, 0, 0};
    double clockRate = 20.0;
    // The viewer folder (tools/collection_world.h): broadcast description (empty:
    // the built-in one of the sample channel lists), channels.ini and bscs.ini (empty: the
    // samples), EIT schedule cycle and bitrate of both devices.
    tools::ViewerFolderOptions viewer;
    // FriioView.ini values after the defaults [Device0] Kind=1 and [Device1] Kind=2 (e.g.
    // {L"Device0", L"ErrorsPerMinute", L"12"}).
    std::vector<IniValue> viewerIni;
    // false: the viewer runs without the capture plug-in.
    bool withPlugin = true;
    // Timer ini values ("Orvandel.ini") after the defaults: [SET] FriioViewPath = the world's
    // viewer, TunerCount 1, TunerCount2 1, RecEnd 0.
    std::vector<IniValue> timerIni;
};

// One line the host reported.
struct HostReport {
    std::string line;
    std::chrono::steady_clock::time_point seen;
};

class TimerWorld {
  public:
    // The viewer's window positions (Software\Friio) before anything runs.
    static const std::string kVideoWindowPos;
    static const std::string kControlWindowPos;

    explicit TimerWorld(TimerWorldOptions options);
    ~TimerWorld();
    TimerWorld(const TimerWorld&) = delete;
    TimerWorld& operator=(const TimerWorld&) = delete;

    // Prepares the folders, starts the host and waits until its start-up is done: false when a
    // file is missing or the host did not come up.
    bool Start();
    // Quits the host (its record and EPG threads are stopped) and ends every viewer left.
    void Stop();

    // --- The host ---
    // Appends the reservation to Program.txt unnumbered, as a second program instance does, and
    // has the host merge it (0x46F); true once the host has handled that.
    bool AddReservation(const timer_core::ReserveEntry& entry);
    // Raw commands: "reload", "check-epg", "tick".
    void Command(const std::string& command);
    // A command and the report it brings ("check-epg", "check-epg "): the rest of the first line
    // with that prefix reported after the command was given.
    std::optional<std::string> Ask(const std::string& command, const std::string& replyPrefix);
    // Waits until the host has handled the n-th message of that id since it started (0x46F to
    // 0x474): its arrival time on the host clock, or nullopt after timeoutMs of real time.
    std::optional<platform::SYSTEMTIME> WaitForMessage(platform::UINT message, int nth = 1,
                                                       int timeoutMs = 30000);
    // Waits for the next report line that starts with the prefix: the rest of it.
    std::optional<std::string> WaitForReport(const std::string& prefix, int timeoutMs = 30000);
    // How many messages of that id the host has handled so far (of the lines read until now).
    int MessageCount(platform::UINT message) const;
    const std::vector<HostReport>& Reports() const { return reports_; }

    // --- Time ---
    // The host clock now.
    platform::SYSTEMTIME Now() const;
    // Real milliseconds that a span of host clock time takes.
    int RealMs(double clockMs) const { return static_cast<int>(clockMs / options_.clockRate); }

    // --- Files ---
    // Program.txt as it is now (IDs, result texts, stored lengths); empty when unreadable.
    std::vector<timer_core::ReserveEntry> Reservations() const;
    // Waits until the path exists (real milliseconds).
    bool WaitForFile(const std::filesystem::path& path, int timeoutMs = 30000) const;

    // Waits until the file exists and has not grown for quietClockMs of host clock: the host
    // time of its last growth, or nullopt after timeoutMs of real time.
    std::optional<platform::SYSTEMTIME> WaitUntilFileStopsGrowing(const std::filesystem::path& path,
                                                                  double quietClockMs,
                                                                  int timeoutMs = 30000) const;

    struct RecordingFile {
        std::filesystem::path path;
        std::uintmax_t size = 0;
    };
    // The .ts files of the viewer's recording folder, by name.
    std::vector<RecordingFile> RecordingFiles() const;
    // The first and last broadcast time (TOT or TDT) in a recording; nullopt without any.
    static std::optional<std::pair<platform::SYSTEMTIME, platform::SYSTEMTIME>> TotSpan(
        const std::filesystem::path& path);

    // --- Viewers ---
    // The running viewer processes of this world, ascending.
    std::vector<platform::DWORD> ViewerPids() const;
    // Ends a viewer at once (SIGKILL).
    void KillViewer(platform::DWORD pid) const;

    // A value of the world's Software\Friio key as stored (REG_SZ: UTF-16LE); nullopt when missing.
    std::optional<std::string> FriioRegistryValue(const std::wstring& name) const;

    // --- Folders ---
    std::filesystem::path Root() const { return root_; }
    std::filesystem::path ViewerPath() const { return world_.ViewerPath(); }
    std::filesystem::path ViewerIni() const;
    std::filesystem::path DataFolder() const { return world_.DataFolder(); }  // Documents/Orvandel
    std::filesystem::path EpgDataFolder() const { return world_.DataFolder() / "EpgData"; }
    std::filesystem::path CaptureFolder() const { return world_.CaptureFolder(); }
    std::filesystem::path RecordingFolder() const { return root_ / "recordings"; }
    std::filesystem::path ProgramFile() const { return world_.DataFolder() / "Program.txt"; }
    std::filesystem::path TimerIni() const { return root_ / "Orvandel.ini"; }
    std::filesystem::path DebugLog() const { return root_ / "debug.log"; }
    std::filesystem::path RegistryFile() const {
        return root_ / "config" / "orvandel" / "registry";
    }

  private:
    bool Prepare();
    std::vector<std::string> HostEnvironment() const;
    // The host's reports and the end of the debug log of every process, printed when a test
    // failed before the world stops.
    void PrintTranscript();
    // Takes in the lines the host has reported so far, without waiting.
    void Drain();
    // Reads host lines until one satisfies `match` (looking at the lines read before first).
    std::optional<std::size_t> ReadUntil(const std::function<bool(const std::string&)>& match,
                                         std::size_t from, int timeoutMs);

    TimerWorldOptions options_;
    std::filesystem::path root_;
    tools::CollectionWorld world_;
    std::string clockSetting_;
    platform::SimClockSetting clock_;
    std::unique_ptr<test_support::HelperProcess> host_;
    std::vector<HostReport> reports_;
    std::size_t nextReport_ = 0;  // first line WaitForReport has not looked at
    bool transcriptShown_ = false;
};

}  // namespace timer_core_test

#endif  // FRIIOVIEW_PATH
