// A viewer stand-in for the viewer-control tests. Copied into a folder of its own as "FriioView",
// it does what the first line of "fake_mode" beside it says:
//   args        writes its working folder and arguments, one per line, to "args.txt" and ends
//   stubborn    opens a main window titled "Friio HDTV Player", writes every message it gets to
//               "messages.txt" ("0x<hex>" per line) and ignores them, the close request included;
//               it ends by itself only after 120 s of clock time
//   viewer      a viewer as the record thread drives it: writes "runs/<pid>.txt" (the local clock
//               time as a FILETIME number, then its arguments, one per line) and opens a main
//               window titled "Friio HDTV Player" that answers the tuner-kind question with the
//               kind of its device (-o) from "kinds" beside it ("1 2": device 0 terrestrial,
//               device 1 BS/CS; 1 for devices not listed), publishes that kind as its plug-in
//               would (FriioID) unless "no_plugin" is beside it, writes every message it gets to
//               "runs/<pid>.messages" ("<FILETIME> 0x<hex>" per line) and ends on WM_CLOSE, or by
//               itself after 300 s of clock time; with "slow_start" beside it, it first takes
//               that many milliseconds of real time to come up
// Files appear whole (written beside and renamed), so a test that sees one can read it.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/utf8.h"
#include "platform/window_messages.h"
#include "shared/friio_view_window.h"
#include "shared/shared_memory_block.h"
#include "shared/window_message_ids.h"

namespace {

namespace fs = std::filesystem;

constexpr platform::UINT kLifetimeMs = 120000;
constexpr platform::UINT kViewerLifetimeMs = 300000;

fs::path Folder() {
    return fs::path(platform::ToNativePath(platform::HostExecutablePath())).parent_path();
}

void WriteWhole(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.string() + ".tmp";
    std::ofstream(temporary, std::ios::binary | std::ios::trunc) << text;
    fs::rename(temporary, path);
}

class StubbornWindow : public platform::WindowTarget {
  public:
    StubbornWindow()
        : hwnd_(platform::CreateWindowHandle(
              this, platform::Utf8ToWide(std::string(shared::kFriioViewWindowTitle)), 0, true)),
          log_(Folder() / "messages.txt", std::ios::app) {
        platform::SetTimer(hwnd_, 1, kLifetimeMs);
    }
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM,
                                 platform::LPARAM) override {
        if (message == platform::WM_TIMER) platform::PostQuitMessage(0);
        char line[16];
        std::snprintf(line, sizeof line, "0x%x\n", message);
        log_ << line << std::flush;
        return 0;
    }

  private:
    platform::HWND hwnd_;
    std::ofstream log_;
};

int Stubborn() {
    StubbornWindow window;
    platform::ReportProgramReady();
    platform::MSG msg;
    while (platform::GetMessageW(&msg, 0, 0, 0) > 0)
        platform::DispatchMessageW(&msg);
    return 0;
}

std::string Now() {
    return std::to_string(platform::Clock::Instance().NowLocal());
}

// The -o value of the command line; 0 without one.
int DeviceOf(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "-o") return std::atoi(argv[i + 1]);
    }
    return 0;
}

int KindOfDevice(int device) {
    std::ifstream in(Folder() / "kinds");
    int kind = 1;
    for (int index = 0; index <= device; ++index) {
        if (!(in >> kind)) return 1;
    }
    return kind;
}

class ViewerWindow : public platform::WindowTarget {
  public:
    explicit ViewerWindow(int kind)
        : kind_(kind),
          hwnd_(platform::CreateWindowHandle(
              this, platform::Utf8ToWide(std::string(shared::kFriioViewWindowTitle)), 0, true)),
          log_(Folder() / "runs" / (std::to_string(platform::GetCurrentProcessId()) + ".messages"),
               std::ios::app) {
        platform::SetTimer(hwnd_, 1, kViewerLifetimeMs);
    }
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM,
                                 platform::LPARAM) override {
        log_ << Now() << " 0x" << std::hex << message << std::dec << "\n" << std::flush;
        if (message == platform::WM_TIMER || message == platform::WM_CLOSE)
            platform::PostQuitMessage(0);
        return message == shared::WM_HOST_GET_TUNER_KIND ? kind_ : 0;
    }

  private:
    int kind_;
    platform::HWND hwnd_;
    std::ofstream log_;
};

int Viewer(int argc, char** argv) {
    int slowStartMs = 0;
    if (std::ifstream(Folder() / "slow_start") >> slowStartMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(slowStartMs));
    std::string text = Now() + "\n";
    for (int i = 1; i < argc; ++i)
        text += std::string(argv[i]) + "\n";
    fs::create_directories(Folder() / "runs");
    WriteWhole(Folder() / "runs" / (std::to_string(platform::GetCurrentProcessId()) + ".txt"),
               text);
    const int kind = KindOfDevice(DeviceOf(argc, argv));
    shared::SharedMemoryBlock plugin;
    if (!fs::exists(Folder() / "no_plugin"))
        plugin.WriteTunerId(kind, platform::GetCurrentProcessId());
    ViewerWindow window(kind);
    platform::ReportProgramReady();
    platform::MSG msg;
    while (platform::GetMessageW(&msg, 0, 0, 0) > 0)
        platform::DispatchMessageW(&msg);
    return 0;
}

int WriteArguments(int argc, char** argv) {
    std::string text = fs::current_path().string() + "\n";
    for (int i = 1; i < argc; ++i)
        text += std::string(argv[i]) + "\n";
    WriteWhole(Folder() / "args.txt", text);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode;
    std::getline(std::ifstream(Folder() / "fake_mode"), mode);
    if (mode == "args") return WriteArguments(argc, argv);
    if (mode == "stubborn") return Stubborn();
    if (mode == "viewer") return Viewer(argc, argv);
    return 2;
}
