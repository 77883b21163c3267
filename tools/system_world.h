// A private world for the whole system, for the recording day of scripts/run.sh, the end-to-end
// tests and the soak run: the timer Orvandel (a private copy with its ini file beside it), the
// FriioView stand-in with the capture plug-in and two tuner devices (0 terrestrial, 1 BS/CS) on a
// synthetic broadcast, all on one simulated clock, in one folder with its own home (Documents,
// registry), power log, debug log and pictures. The world's programs run in the caller's
// namespace and runtime folder, so that the caller reaches Orvandel's window; a caller without a
// namespace is given one of the world's own (its environment is changed for good then).
//
// How to use it:
//   tools::SystemWorldOptions options;
//   options.binFolder = "build/bin";                      // Orvandel, FriioView, the plug-in
//   options.clockStart = broadcast_sim::JstTime(2026, 12, 4, 18, 57);
//   options.clockRate = 20;
//   options.viewer.broadcastDescription = "...";           // broadcast_description_file.h
//   options.viewer.channelsIni = L"[東京]\r\n21=みなと総合\r\n";  // and bscs.ini
//   options.timerIni = {{L"Orvandel", L"Count", L"1"}, {L"Orvandel", L"0", L"19,0,1"}};
//   options.autoSearch = {condition};                     // AutoSearch.txt
//   options.reservations = {entry};                       // Program.txt before the start
//   options.channelTable = {{21, 0x7F10, 0x400, L"みなと総合１"}};  // ChSet2.txt
//   tools::SystemWorld world(root, options);              // root: an empty folder
//   if (!world.Prepare()) ...;                            // false: a built file is missing
//   world.StartOrvandel();                                // true once its main window is up
//   world.AppendReservation(entry);                       // a line added to Program.txt by hand
//   world.RunSecondInstance({iepgFile});                  // its exit code; Orvandel merges
//   tools::WaitFor([&] { return world.Reservations().size() == 3; }, world.RealMs(60000));
//   world.WaitForClock(time);                             // the world's clock has passed it
//   world.Reservations(); world.RecordingFiles(); tools::ReadBroadcastTimeSpan(file);
//   world.DebugLogLines(); world.PowerLogLines();
//   world.SaveMainWindowPicture(world.Root() / "main-window.png");
//   world.CloseOrvandel();                                // true: it ended by itself, exit 0
//   world.Processes();                                    // what of the world still runs
// Waits take real milliseconds and look at files, processes and the published window handle;
// RealMs turns clock time into real time. The clock starts with the first program of the world
// (ChildEnvironment); every program after it shares it. The destructor (or Stop) closes Orvandel
// and ends whatever of the world still runs. Programs write their standard output and error
// into OutputFile(), their debug lines into DebugLog().
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/system_time.h"
#include "platform/win_types.h"
#include "shared/ch_set2_file.h"
#include "timer_core/epg/auto_search_condition.h"
#include "timer_core/reservations/reserve_entry.h"
#include "tools/collection_world.h"

namespace tools {

class WorldProcess;

struct IniValue {
    std::wstring section;
    std::wstring key;
    std::wstring value;
};

struct SystemWorldOptions {
    // Where Orvandel, FriioView, friio_Quorvantel.so and the sample channel lists were built.
    std::filesystem::path binFolder;
    // The world's clock: its local time when the first program starts, and its rate.
    platform::SYSTEMTIME clockStart{2026, 12, 4, 5, 20, 0, 0, 0};
    double clockRate = 20.0;
    // The viewer folder (tools/collection_world.h): broadcast description, channels.ini and
    // bscs.ini (empty: the samples), EIT schedule cycle and bitrate of both devices.
    ViewerFolderOptions viewer;
    // FriioView.ini values after the defaults [Device0] Kind=1 and [Device1] Kind=2.
    std::vector<IniValue> viewerIni;
    // false: the viewer runs without the capture plug-in.
    bool withPlugin = true;
    // Timer ini values ("Orvandel.ini" beside the program) after the defaults: [SET]
    // FriioViewPath = the world's viewer, TunerCount 1, TunerCount2 1, RecEnd 0.
    std::vector<IniValue> timerIni;
    // AutoSearch.txt and Program.txt written before the start (none when empty).
    std::vector<timer_core::AutoSearchCondition> autoSearch;
    std::vector<timer_core::ReserveEntry> reservations;
    // ChSet2.txt written before the start, as an EPG collection would have left it (none when
    // empty): the services an iEPG file's station is looked up in.
    std::vector<shared::ChSet2Entry> channelTable;
    // ORVANDEL_SIM_DISK: every folder a disk of this many bytes (SetSimulatedDiskBytes changes it).
    std::optional<std::uint64_t> simulatedDiskBytes;
    // ORVANDEL_SCREENSHOT_DIR = PictureFolder(): every dialog (the viewers' windows too) leaves a
    // picture there when first shown.
    bool pictures = false;
    // QT_QPA_PLATFORM=offscreen for the world's programs; by default when there is no display.
    std::optional<bool> offscreen;
};

// Looks at done() every few milliseconds until it holds or timeoutMs of real time have passed;
// done()'s last answer.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

class SystemWorld {
  public:
    // The viewer's window positions (Software\Friio) before anything runs.
    static constexpr std::string_view kVideoWindowPos{
        "\x0A\0\0\0\x14\0\0\0\x6E\x01\0\0\x28\x01\0\0", 16};
    static constexpr std::string_view kControlWindowPos{
        "\x1E\0\0\0\x28\0\0\0\x82\x01\0\0\x3C\x01\0\0", 16};

    // `root`: an existing, empty folder.
    SystemWorld(std::filesystem::path root, SystemWorldOptions options);
    ~SystemWorld();
    SystemWorld(const SystemWorld&) = delete;
    SystemWorld& operator=(const SystemWorld&) = delete;

    // Copies the programs and writes the settings and files; false when a built file is missing.
    bool Prepare();
    // The environment changes every program of the world is started with ("NAME=value" sets,
    // a bare "NAME" removes); the first call starts the world's clock.
    std::vector<std::string> ChildEnvironment();

    // --- Orvandel ---
    // Starts the program as the user does (arguments: an iEPG file, or none) and waits until its
    // main window is published; false when it did not come up within timeoutMs.
    bool StartOrvandel(const std::vector<std::string>& args = {}, int timeoutMs = 30000);
    // The running first instance's process id (0 when none) and its published main window.
    platform::DWORD OrvandelPid() const;
    platform::HWND MainWindow() const;
    // Starts one more instance with the arguments and waits for its end: its exit code, or
    // nullopt when it did not end within timeoutMs (it is ended then).
    std::optional<int> RunSecondInstance(const std::vector<std::string>& args,
                                         int timeoutMs = 30000);
    // Closes Orvandel through its window's close box, as the user does, and waits for its end:
    // true when it ended by itself with exit code 0 (after timeoutMs it is ended at once).
    bool CloseOrvandel(int timeoutMs = 30000);
    // Ends Orvandel at once (SIGKILL).
    void KillOrvandel();
    // Asks the main window to draw itself into the picture folder (WM_PRINT; needs `pictures`)
    // and copies the picture to `path`; false when there is no window or no picture came.
    bool SaveMainWindowPicture(const std::filesystem::path& path, int timeoutMs = 20000) const;

    // --- Files ---
    // Appends a reservation line to Program.txt with ID 0, as a person editing the file or another
    // program instance does; Orvandel numbers it at its next merge.
    bool AppendReservation(const timer_core::ReserveEntry& entry) const;
    // Program.txt as it is now (IDs, result texts, stored lengths); empty when unreadable.
    std::vector<timer_core::ReserveEntry> Reservations() const;
    struct RecordingFile {
        std::filesystem::path path;
        std::uintmax_t size = 0;
    };
    // The .ts files of the viewer's recording folder, by name.
    std::vector<RecordingFile> RecordingFiles() const;
    // The lines of the debug log and of the power log so far.
    std::vector<std::string> DebugLogLines() const;
    std::vector<std::string> PowerLogLines() const;
    // A value of the world's Software\Friio key as stored (REG_SZ: UTF-16LE); nullopt when
    // missing.
    std::optional<std::string> FriioRegistryValue(const std::wstring& name) const;
    // Rewrites the simulated disk size (running programs see it at their next look).
    void SetSimulatedDiskBytes(std::uint64_t bytes) const;

    // --- Time and waiting ---
    platform::SYSTEMTIME Now() const;
    double ClockRate() const { return options_.clockRate; }
    // Real milliseconds that a span of clock time takes.
    int RealMs(double clockMs) const { return static_cast<int>(clockMs / options_.clockRate); }
    // Waits until the world's clock has passed the time; false after timeoutMs of real time.
    bool WaitForClock(const platform::SYSTEMTIME& time, int timeoutMs) const;
    // Waits until done() holds, or until the world's clock has passed `by` and graceMs of real
    // time more have gone: done()'s last answer. The time the clock stood still while a program
    // of the world started does not count against the wait.
    bool WaitUntilClock(const std::function<bool()>& done, const platform::SYSTEMTIME& by,
                        int graceMs) const;
    bool WaitForFile(const std::filesystem::path& path, int timeoutMs = 30000) const;
    // Waits until the file exists and has not grown for quietClockMs of clock: the clock time of
    // its last growth, or nullopt after timeoutMs of real time.
    std::optional<platform::SYSTEMTIME> WaitUntilFileStopsGrowing(const std::filesystem::path& path,
                                                                  double quietClockMs,
                                                                  int timeoutMs = 30000) const;

    // --- Processes ---
    struct Process {
        platform::DWORD pid = 0;
        std::string name;  // "Orvandel" or "FriioView"
    };
    // Every running program of the world (Orvandel instances and viewers), ascending.
    std::vector<Process> Processes() const;
    std::vector<platform::DWORD> ViewerPids() const;
    // Ends a process of the world at once (SIGKILL); others are left alone.
    void KillProcess(platform::DWORD pid) const;
    // Closes Orvandel when it runs, then ends every program of the world still running: what it
    // had to end besides Orvandel (a clean world leaves none).
    std::vector<Process> Stop();

    // --- Folders and files ---
    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path OrvandelPath() const { return root_ / "program" / "Orvandel"; }
    std::filesystem::path TimerIni() const { return root_ / "program" / "Orvandel.ini"; }
    std::filesystem::path ViewerPath() const { return collection_.ViewerPath(); }
    std::filesystem::path ViewerIni() const { return ViewerPath().parent_path() / "FriioView.ini"; }
    std::filesystem::path CaptureFolder() const { return collection_.CaptureFolder(); }
    // <Documents>/Orvandel: Program.txt, AutoSearch.txt, ChSet.txt, ChSet2.txt, EpgData.
    std::filesystem::path DataFolder() const { return collection_.DataFolder(); }
    std::filesystem::path EpgDataFolder() const { return DataFolder() / "EpgData"; }
    std::filesystem::path ProgramFile() const { return DataFolder() / "Program.txt"; }
    std::filesystem::path AutoSearchFile() const { return DataFolder() / "AutoSearch.txt"; }
    std::filesystem::path RecordingFolder() const { return root_ / "recordings"; }
    std::filesystem::path RegistryFile() const {
        return root_ / "config" / "orvandel" / "registry";
    }
    std::filesystem::path DebugLog() const { return root_ / "debug.log"; }
    std::filesystem::path PowerLog() const { return root_ / "power.log"; }
    std::filesystem::path OutputFile() const { return root_ / "output.log"; }
    std::filesystem::path PictureFolder() const { return root_ / "pictures"; }
    std::filesystem::path SimulatedDiskFile() const { return root_ / "disk-size.txt"; }

  private:
    void JoinOrMakeNamespace() const;
    bool CopyProgram() const;
    void WriteViewerSettings() const;
    void WriteRegistry() const;
    void WriteTimerSettings() const;
    void WriteTimerFiles() const;
    std::unique_ptr<WorldProcess> Launch(const std::vector<std::string>& args);

    std::filesystem::path root_;
    SystemWorldOptions options_;
    CollectionWorld collection_;
    std::optional<platform::SimClockSetting> clock_;
    std::string clockSetting_;
    // The world's clock as its programs see it (it stands still while one of them starts).
    std::unique_ptr<platform::Clock> worldClock_;
    std::unique_ptr<WorldProcess> orvandel_;
};

}  // namespace tools
