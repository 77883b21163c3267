// The timer's main window stand-in of the end-to-end tests (tests/timer_core/timer_world.h runs
// it): a TimerManager on the ini file named on the command line, and a platform window that is
// the manager's main window. It starts up and handles the private messages as the main window
// does, without the list and the dialogs:
//   start-up   settings, Program.txt (created when missing) loaded, EPG data loaded, window
//              handle published, tick mode 0, EPG check; timers 1000 (tick) and 1002 (EPG check)
//              every 120 s
//   0x46F      merge Program.txt, tick mode 1, overlap check, EPG check
//   0x470      pause 500 ms (RecEnd 0), tick mode 0, save Program.txt
//   0x471      pause 500 ms, save, tick mode 0
//   0x472      pause 500 ms, save
//   0x473      pause 500 ms, tick mode 0, save
//   0x474      load the EPG data, pause 500 ms, tick mode 0, save
// After each it reports one line on its report channel (the standard output it was started
// with), times on its clock:
//   ready <window>
//   message 0x<id> <arrival time>          once the message is handled
//   epg-data <loaded 0/1> <services> <events>
//   check-epg <result> <time>
// Commands, one per line on its standard input: "reload" (posts 0x46F to the window, as a second
// program instance does), "check-epg", "tick", "quit" (also at the end of the input). The viewers
// it starts get neither channel: their standard input is empty and their output goes to the
// host's standard error.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "broadcast/epg_store.h"
#include "platform/atomic_file_writer.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/file_operations.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/utf8.h"
#include "platform/whole_file.h"
#include "platform/window_messages.h"
#include "shared/epg_data_folder.h"
#include "shared/shared_memory_block.h"
#include "timer_core/epg/load_epg_data_files.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/scheduling/timer_manager.h"

namespace {

using timer_core::TimerManager;

constexpr platform::UINT_PTR kTickTimer = 1000;
constexpr platform::UINT_PTR kEpgCheckTimer = 1002;
constexpr platform::UINT kTimerPeriodMs = 120000;
constexpr platform::DWORD kSettleMs = 500;
constexpr platform::UINT kCheckEpgCommand = platform::WM_USER + 0x100;
constexpr platform::UINT kTickCommand = platform::WM_USER + 0x101;

std::FILE* g_report = nullptr;

void Report(const std::string& line) {
    std::fprintf(g_report, "%s\n", line.c_str());
    std::fflush(g_report);
}

std::string Now() {
    platform::SYSTEMTIME t;
    platform::GetLocalTime(&t);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

// The report channel and the command channel stay with this process: its children get an empty
// input and write to the standard error.
void KeepChannelsToMyself(int* commands) {
    const int report = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    *commands = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    const int empty = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::dup2(empty, STDIN_FILENO);
    ::close(empty);
    g_report = ::fdopen(report, "w");
}

class MainWindowStandIn : public platform::WindowTarget {
  public:
    explicit MainWindowStandIn(const std::wstring& iniPath)
        : manager_(iniPath),
          dataFolder_(shared::TimerDataFolder(platform::GetDocumentsFolder())),
          programFile_(platform::JoinPath(dataFolder_, L"Program.txt")) {
        hwnd_ = platform::CreateWindowHandle(this, L"Orvandel", 0, true);
    }
    ~MainWindowStandIn() override { platform::DestroyWindowHandle(hwnd_); }
    MainWindowStandIn(const MainWindowStandIn&) = delete;
    MainWindowStandIn& operator=(const MainWindowStandIn&) = delete;

    platform::HWND hwnd() const { return hwnd_; }

    void StartUp() {
        manager_.SetMainWindow(hwnd_);
        LoadReservations();
        ReloadEpgData();
        timerWindow_.WritePostTimerHwnd(hwnd_);
        manager_.Tick(0);
        CheckEpg();
        platform::SetTimer(hwnd_, kTickTimer, kTimerPeriodMs);
        platform::SetTimer(hwnd_, kEpgCheckTimer, kTimerPeriodMs);
        Report("ready " + std::to_string(hwnd_));
    }

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM) override {
        const std::string arrival = Now();
        switch (message) {
            case platform::WM_TIMER:
                if (wParam == kTickTimer) manager_.Tick(0);
                if (wParam == kEpgCheckTimer) CheckEpg();
                return 0;
            case kCheckEpgCommand:
                CheckEpg();
                return 0;
            case kTickCommand:
                manager_.Tick(0);
                return 0;
            case platform::WM_CLOSE:
                manager_.StopAllRecordThreads();
                platform::PostQuitMessage(0);
                return 0;
            case timer_core::WM_RELOAD_RESERVATIONS:
                manager_.MergeReserveFile(programFile_);
                manager_.Tick(1);
                CheckOverlaps();
                CheckEpg();
                break;
            case timer_core::WM_RECORDING_ENDED:
                platform::Sleep(kSettleMs);
                manager_.Tick(0);
                manager_.SaveReserveFile(programFile_);
                break;
            case timer_core::WM_RECORDING_CHAINED:
                platform::Sleep(kSettleMs);
                manager_.SaveReserveFile(programFile_);
                manager_.Tick(0);
                break;
            case timer_core::WM_RESERVATION_UPDATED:
                platform::Sleep(kSettleMs);
                manager_.SaveReserveFile(programFile_);
                break;
            case timer_core::WM_RESCHEDULE:
                platform::Sleep(kSettleMs);
                manager_.Tick(0);
                manager_.SaveReserveFile(programFile_);
                break;
            case timer_core::WM_EPG_ACQUIRED:
                ReloadEpgData();
                platform::Sleep(kSettleMs);
                manager_.Tick(0);
                manager_.SaveReserveFile(programFile_);
                break;
            default:
                return 0;
        }
        char id[16];
        std::snprintf(id, sizeof id, "0x%03X", message);
        Report(std::string("message ") + id + " " + arrival);
        return 0;
    }

  private:
    void LoadReservations() {
        platform::CreateDirectoryW(dataFolder_);
        std::string bytes;
        if (!platform::ReadWholeFile(programFile_, &bytes))
            platform::WriteFileAtomically(programFile_, "");
        manager_.LoadSettings();
        manager_.LoadReserveFile(programFile_);
        CheckOverlaps();
    }
    void CheckOverlaps() {
        std::wstring report;
        if (manager_.CheckOverlaps(&report) == 0)
            platform::OutputDebugStringW(L"overlaps: " + report);
    }
    void ReloadEpgData() {
        broadcast::EpgStore store;
        const int loaded = timer_core::LoadEpgDataFiles(
            shared::EpgDataFolder(platform::GetDocumentsFolder()), store);
        std::size_t events = 0;
        for (const auto& [key, schedule] : store.schedules)
            events += schedule->events.size();
        Report("epg-data " + std::to_string(loaded) + " " + std::to_string(store.services.size()) +
               " " + std::to_string(events));
    }
    void CheckEpg() {
        const int result = manager_.CheckEpgAcquisition();
        Report("check-epg " + std::to_string(result) + " " + Now());
    }

    TimerManager manager_;
    std::wstring dataFolder_;
    std::wstring programFile_;
    shared::SharedMemoryBlock timerWindow_;
    platform::HWND hwnd_ = 0;
};

// Turns the command lines into messages to the window; the end of the input quits.
void ReadCommands(int fd, platform::HWND window) {
    std::FILE* in = ::fdopen(fd, "r");
    char line[256];
    while (std::fgets(line, sizeof line, in) != nullptr) {
        const std::string command(line, std::strcspn(line, "\r\n"));
        if (command == "quit") break;
        if (command == "reload")
            platform::PostMessageW(window, timer_core::WM_RELOAD_RESERVATIONS, 0, 0);
        if (command == "check-epg") platform::PostMessageW(window, kCheckEpgCommand, 0, 0);
        if (command == "tick") platform::PostMessageW(window, kTickCommand, 0, 0);
    }
    std::fclose(in);
    platform::PostMessageW(window, platform::WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    int commands = -1;
    KeepChannelsToMyself(&commands);
    {
        MainWindowStandIn window(platform::Utf8ToWide(argv[1]));
        window.StartUp();
        std::thread reader(ReadCommands, commands, window.hwnd());
        platform::MSG msg;
        while (platform::GetMessageW(&msg, 0, 0, 0) > 0)
            platform::DispatchMessageW(&msg);
        reader.join();
    }
    Report("closed");
    return 0;
}
