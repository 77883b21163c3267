// The other process of the platform's multi-process tests. Usage: platform_test_helper <mode> ...
// It reports on standard output, one line per event, and holds what it created until its
// standard input ends (or the test kills it).
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/named_file_mapping.h"
#include "platform/named_mutex.h"
#include "platform/named_object_store.h"
#include "platform/runtime_folder.h"
#include "platform/utf8.h"
#include "platform/window_messages.h"

namespace {

using namespace platform;

// Messages the test sends to make the helper misbehave.
constexpr UINT kStallMessage = WM_USER + 50;  // no pumping for wParam ms (0: until an input line)
constexpr UINT kDieMessage = WM_USER + 51;    // end at once, without answering

void Report(const char* format, auto... args) {
    std::printf(format, args...);
    std::printf("\n");
    std::fflush(stdout);
}

// Blocks until a line (or the end) arrives on standard input.
void WaitForInputLine() {
    char c = 0;
    while (::read(0, &c, 1) == 1 && c != '\n') {
    }
}

void WaitForInputEnd() {
    char buffer[64];
    while (::read(0, buffer, sizeof buffer) > 0) {
    }
}

class ReportingWindow : public WindowTarget {
  public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kStallMessage) {
            Report("stall");
            if (wParam == 0) {
                WaitForInputLine();
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(wParam));
            }
        } else if (message == kDieMessage) {
            std::_Exit(0);
        } else if (message == WM_CLOSE) {
            PostQuitMessage(0);
        }
        Report("msg %u %lu %ld", message, static_cast<unsigned long>(wParam),
               static_cast<long>(lParam));
        return static_cast<LRESULT>(wParam) * 2 + 1;
    }
    void OnShowRequest(int command) override { Report("show %d", command); }
    void OnForegroundRequest() override { Report("foreground"); }
};

int HoldMapping(const char* name, std::size_t size, int fill) {
    bool existed = false;
    const auto mapping = NamedFileMapping::Create(name, size, &existed);
    if (!mapping.Valid()) return 1;
    if (!existed) {
        const MappedView view = mapping.Map(true);
        std::memset(view.Bytes().data(), fill, view.Bytes().size());
    }
    Report("existed %d", existed ? 1 : 0);
    WaitForInputEnd();
    return 0;
}

// Creates a mapping whose handle is never closed: the process's exit must give it up.
int LeakMapping(const char* name) {
    bool existed = false;
    static auto* const mapping = new NamedFileMapping(NamedFileMapping::Create(name, 8, &existed));
    Report("existed %d valid %d", existed ? 1 : 0, mapping->Valid() ? 1 : 0);
    WaitForInputEnd();
    return 0;
}

// Takes the exclusive lock a process holds for an instant when it removes an object (the named
// object's file) or keeps others out of a file (a path), then stops as a debugger would stop it.
int StopHolding(const std::string& kind, const char* what) {
    std::filesystem::path path = what;
    if (kind == "object") {
        path = RuntimeSubfolder("mappings") / NamedObjectStore::FileNameOf(what);
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) return 1;
    Report("holding");
    ::raise(SIGSTOP);
    WaitForInputEnd();
    return 0;
}

// Creates, writes, reads and closes named objects and windows in a loop, as a busy viewer does,
// until it is killed.
int Churn() {
    const std::string name = "Global\\Churn" + std::to_string(::getpid());
    ReportingWindow target;
    Report("churning");
    for (std::uint8_t round = 0;; ++round) {
        bool existed = false;
        auto mapping = NamedFileMapping::Create(name, 16, &existed);
        if (const MappedView view = mapping.Map(true); view.Valid()) view.Bytes()[0] = round;
        std::uint8_t byte = 0;
        ReadNamedMapping(name, std::span(&byte, 1));
        mapping.Close();
        DestroyWindowHandle(CreateWindowHandle(&target, L"churn", 0, false));
    }
}

int OpenMapping(const char* name) {
    const auto mapping = NamedFileMapping::OpenForReading(name);
    Report("opened %d", mapping.Valid() ? 1 : 0);
    WaitForInputEnd();
    return 0;
}

int HoldMutex(const char* name) {
    bool existed = false;
    const auto mutex = NamedMutex::Create(name, true, &existed);
    Report("existed %d", existed ? 1 : 0);
    WaitForInputEnd();
    return 0;
}

HWND MakeWindow(WindowTarget* target, const char* title, HWND owner, bool visible) {
    const HWND hwnd = CreateWindowHandle(target, Utf8ToWide(title), owner, visible);
    Report("hwnd %u tid %u", hwnd, GetCurrentThreadId());
    return hwnd;
}

int RunWindow(const char* title, HWND owner, bool visible) {
    ReportingWindow target;
    if (MakeWindow(&target, title, owner, visible) == 0) return 1;
    MSG msg;
    while (GetMessageW(&msg, 0, 0, 0))
        DispatchMessageW(&msg);
    Report("quit");
    return 0;
}

// A window whose thread works in 200 ms steps and pumps between them.
int RunBusyWindow(const char* title, int seconds) {
    ReportingWindow target;
    if (MakeWindow(&target, title, 0, true) == 0) return 1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        PumpThreadMessages();
    }
    Report("done");
    return 0;
}

int RunTimerWindow(UINT elapseMs, int count) {
    ReportingWindow target;
    const HWND hwnd = MakeWindow(&target, "timer", 0, true);
    const auto start = std::chrono::steady_clock::now();
    SetTimer(hwnd, 7, elapseMs);
    MSG msg;
    for (int fired = 0; fired < count && GetMessageW(&msg, 0, 0, 0);) {
        if (msg.message != WM_TIMER) continue;
        ++fired;
        const auto real = std::chrono::steady_clock::now() - start;
        Report(
            "timer %ld",
            static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(real).count()));
    }
    return 0;
}

int PostMany(HWND hwnd, UINT message, int count) {
    int posted = 0;
    for (int i = 0; i < count; ++i)
        posted += PostMessageW(hwnd, message, i, 0) ? 1 : 0;
    Report("posted %d", posted);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    platform::ReportProgramReady();
    if (argc < 2) return 2;
    const std::string mode = argv[1];
    const auto arg = [&](int i) { return i < argc ? argv[i] : ""; };
    const auto num = [&](int i) { return std::strtoul(arg(i), nullptr, 0); };
    if (mode == "hold-mapping") return HoldMapping(arg(2), num(3), static_cast<int>(num(4)));
    if (mode == "open-mapping") return OpenMapping(arg(2));
    if (mode == "leak-mapping") return LeakMapping(arg(2));
    if (mode == "stop-holding") return StopHolding(arg(2), arg(3));
    if (mode == "churn") return Churn();
    if (mode == "mutex") return HoldMutex(arg(2));
    if (mode == "window") return RunWindow(arg(2), static_cast<HWND>(num(3)), num(4) != 0);
    if (mode == "busy-window") return RunBusyWindow(arg(2), static_cast<int>(num(3)));
    if (mode == "timer-window") return RunTimerWindow(static_cast<UINT>(num(2)), num(3));
    if (mode == "post") {
        return PostMany(static_cast<HWND>(num(2)), static_cast<UINT>(num(3)),
                        static_cast<int>(num(4)));
    }
    return 2;
}
