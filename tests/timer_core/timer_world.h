// End-to-end world of the timer: a TimerManager in a process of its own (helpers/timer_host.cpp,
// the main window stand-in, which handles 0x46F-0x474 as the main window does and reports them),
// the real FriioView with its two tuner devices (0 terrestrial, 1 BS/CS) and the real capture
// plug-in beside it, on a synthetic broadcast, all on one simulated clock, in a private folder,
// home, Documents folder and registry: the world of tools/system_world.h with the host in place of
// the timer program.
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
#include <string_view>
#include <vector>

#include "platform/system_time.h"
#include "platform/win_types.h"
#include "tests/support/helper_process.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/reservations/reserve_entry.h"
#include "tools/system_world.h"

namespace timer_core_test {

using IniValue = tools::IniValue;

// The world's options (tools/system_world.h); the timer's ini values go to the host. The world
// runs offscreen unless told otherwise, and its programs leave no pictures.
using TimerWorldOptions = tools::SystemWorldOptions;

// One line the host reported.
struct HostReport {
    std::string line;
    std::chrono::steady_clock::time_point seen;
};

class TimerWorld {
  public:
    // The viewer's window positions (Software\Friio) before anything runs.
    static constexpr std::string_view kVideoWindowPos = tools::SystemWorld::kVideoWindowPos;
    static constexpr std::string_view kControlWindowPos = tools::SystemWorld::kControlWindowPos;

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
    platform::SYSTEMTIME Now() const { return world_.Now(); }
    // Real milliseconds that a span of host clock time takes.
    int RealMs(double clockMs) const { return world_.RealMs(clockMs); }

    // --- Files ---
    // Program.txt as it is now (IDs, result texts, stored lengths); empty when unreadable.
    std::vector<timer_core::ReserveEntry> Reservations() const { return world_.Reservations(); }
    // Waits until the path exists (real milliseconds).
    bool WaitForFile(const std::filesystem::path& path, int timeoutMs = 30000) const {
        return world_.WaitForFile(path, timeoutMs);
    }
    // Waits until the file exists and has not grown for quietClockMs of host clock: the host
    // time of its last growth, or nullopt after timeoutMs of real time.
    std::optional<platform::SYSTEMTIME> WaitUntilFileStopsGrowing(const std::filesystem::path& path,
                                                                  double quietClockMs,
                                                                  int timeoutMs = 30000) const {
        return world_.WaitUntilFileStopsGrowing(path, quietClockMs, timeoutMs);
    }

    using RecordingFile = tools::SystemWorld::RecordingFile;
    // The .ts files of the viewer's recording folder, by name.
    std::vector<RecordingFile> RecordingFiles() const { return world_.RecordingFiles(); }
    // The first and last broadcast time (TOT or TDT) in a recording; nullopt without any.
    static std::optional<std::pair<platform::SYSTEMTIME, platform::SYSTEMTIME>> TotSpan(
        const std::filesystem::path& path);

    // --- Viewers ---
    // The running viewer processes of this world, ascending.
    std::vector<platform::DWORD> ViewerPids() const { return world_.ViewerPids(); }
    // Ends a viewer at once (SIGKILL).
    void KillViewer(platform::DWORD pid) const { world_.KillProcess(pid); }

    // A value of the world's Software\Friio key as stored (REG_SZ: UTF-16LE); nullopt when missing.
    std::optional<std::string> FriioRegistryValue(const std::wstring& name) const {
        return world_.FriioRegistryValue(name);
    }

    // --- Folders ---
    tools::SystemWorld& System() { return world_; }
    std::filesystem::path Root() const { return world_.Root(); }
    std::filesystem::path ViewerPath() const { return world_.ViewerPath(); }
    std::filesystem::path ViewerIni() const { return world_.ViewerIni(); }
    std::filesystem::path DataFolder() const { return world_.DataFolder(); }  // Documents/Orvandel
    std::filesystem::path EpgDataFolder() const { return world_.EpgDataFolder(); }
    std::filesystem::path CaptureFolder() const { return world_.CaptureFolder(); }
    std::filesystem::path RecordingFolder() const { return world_.RecordingFolder(); }
    std::filesystem::path ProgramFile() const { return world_.ProgramFile(); }
    std::filesystem::path TimerIni() const { return world_.TimerIni(); }
    std::filesystem::path DebugLog() const { return world_.DebugLog(); }
    std::filesystem::path RegistryFile() const { return world_.RegistryFile(); }

  private:
    // The host's reports and the end of the debug log of every process, printed when a test
    // failed before the world stops.
    void PrintTranscript();
    // Takes in the lines the host has reported so far, without waiting.
    void Drain();
    // Reads host lines until one satisfies `match` (looking at the lines read before first).
    std::optional<std::size_t> ReadUntil(const std::function<bool(const std::string&)>& match,
                                         std::size_t from, int timeoutMs);

    tools::SystemWorld world_;
    std::unique_ptr<test_support::HelperProcess> host_;
    std::vector<HostReport> reports_;
    std::size_t nextReport_ = 0;  // first line WaitForReport has not looked at
    bool transcriptShown_ = false;
};

}  // namespace timer_core_test

#endif  // FRIIOVIEW_PATH
