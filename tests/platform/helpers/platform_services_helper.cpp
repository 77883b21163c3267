// The other process of the platform tests. Usage: platform_services_helper <command> [args...]
//   ini-write <file> <section> <key prefix> <count>   writes <prefix>0..<count-1>
//   reg-write <key> <value prefix> <count>            writes REG_DWORD values 0..count-1
//   hold-file <file> <flag> [<ready>]   opens the file for writing (others may read), creates
//                             <ready> once it is open and keeps it until the file <flag> exists
//                             (at most 20 s)
//   clock-sample <file>       appends "<real ns> <local FILETIME>" taken at one instant
//   set-clock <FILETIME>      SetLocalTime
//   sleep <ms>                Sleep on the clock, then exits
//   wake-timer <ms>           arms a resume timer <ms> of clock time ahead, waits until it fires
//   write-stalled <file> <ready>   replaces the file atomically with 64 KiB, but the write stops
//                             in the middle (file size limit 4 KiB): creates <ready> then and
//                             waits there until killed
//   args <file>               writes the working folder and each argument, one per line
//   snapshot                  writes the id of every process of its snapshot, one per line,
//                             then "end"
//   exit <code>               exits with that code
//   start-slowly <ms> <ready>   takes <ms> of real time to start, then reports that it is ready,
//                             writes its clock's elapsed nanoseconds to <ready> and waits there
//                             until killed
//   die-starting <ms>         ends after <ms> of real time without ever being ready
// Every other command reports at once that the program is ready.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/atomic_file_writer.h"
#include "platform/clock.h"
#include "platform/file_handle.h"
#include "platform/private_profile.h"
#include "platform/process_snapshot.h"
#include "platform/registry.h"
#include "platform/utf8.h"
#include "platform/waitable_timer.h"

namespace {

using namespace platform;

std::wstring W(const char* s) {
    return Utf8ToWide(s);
}

int IniWrite(char** a) {
    const int count = std::atoi(a[3]);
    for (int i = 0; i < count; ++i) {
        const std::wstring key = W(a[2]) + std::to_wstring(i);
        if (!WritePrivateProfileStringW(W(a[1]).c_str(), key.c_str(), key.c_str(),
                                        W(a[0]).c_str())) {
            return 1;
        }
    }
    return 0;
}

int RegWrite(char** a) {
    auto key = RegistryKey::Create(W(a[0]));
    if (!key) return 1;
    const int count = std::atoi(a[2]);
    for (int i = 0; i < count; ++i) {
        if (!key->SetDword(W(a[1]) + std::to_wstring(i), static_cast<DWORD>(i))) return 1;
    }
    return 0;
}

int HoldFile(char** a, int n) {
    FileHandle file = CreateFileW(W(a[0]), GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    if (!file.IsValid()) return 1;
    if (n > 2) std::ofstream{a[2]};
    for (int i = 0; i < 4000 && !std::filesystem::exists(a[1]); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 0;
}

int ClockSample(char** a) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const std::uint64_t local = Clock::Instance().NowLocal();
    std::ofstream(a[0], std::ios::app)
        << (static_cast<long long>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec) << " " << local
        << "\n";
    return 0;
}

int SetClock(char** a) {
    const FILETIME ft = U64ToFileTime(std::strtoull(a[0], nullptr, 10));
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    return SetLocalTime(&st) ? 0 : 1;
}

const char* stalledReady = nullptr;

// The write went past the size limit: the writer stays in the middle of its write.
void OnFileSizeLimit(int) {
    const int fd = ::open(stalledReady, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    for (;;)
        ::pause();
}

int WriteStalled(char** a) {
    stalledReady = a[1];
    const rlimit noCore{0, 0};
    const rlimit fileSize{4096, 4096};
    ::setrlimit(RLIMIT_CORE, &noCore);
    struct sigaction action {};
    action.sa_handler = OnFileSizeLimit;
    ::sigaction(SIGXFSZ, &action, nullptr);
    ::setrlimit(RLIMIT_FSIZE, &fileSize);
    WriteFileAtomically(W(a[0]), std::string(65536, 'x'));
    return 1;  // not stopped
}

int Snapshot() {
    for (const ProcessEntry& process : TakeProcessSnapshot())
        std::printf("%u\n", static_cast<unsigned>(process.processId));
    std::printf("end\n");
    return 0;
}

int Args(int argc, char** argv) {
    std::ofstream out(argv[2]);
    char cwd[4096];
    out << (::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?") << "\n";
    for (int i = 3; i < argc; ++i)
        out << argv[i] << "\n";
    return 0;
}

int StartSlowly(char** a) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(a[0])));
    platform::ReportProgramReady();
    const auto elapsed = platform::Clock::Instance().Elapsed().count();
    std::ofstream(std::string(a[1]) + ".new") << elapsed << "\n";
    std::filesystem::rename(std::string(a[1]) + ".new", a[1]);
    for (;;)
        ::pause();
}

int DieStarting(char** a) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(a[0])));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    char** a = argv + 2;
    const int n = argc - 2;
    if (command == "start-slowly" && n == 2) return StartSlowly(a);
    if (command == "die-starting" && n == 1) return DieStarting(a);
    platform::ReportProgramReady();
    if (command == "ini-write" && n == 4) return IniWrite(a);
    if (command == "reg-write" && n == 3) return RegWrite(a);
    if (command == "hold-file" && (n == 2 || n == 3)) return HoldFile(a, n);
    if (command == "clock-sample" && n == 1) return ClockSample(a);
    if (command == "set-clock" && n == 1) return SetClock(a);
    if (command == "sleep" && n == 1) {
        Sleep(static_cast<DWORD>(std::atoi(a[0])));
        return 0;
    }
    if (command == "wake-timer" && n == 1) {
        WaitableTimer timer(L"FriioOrvandel");
        timer.Set(-std::atoll(a[0]) * static_cast<std::int64_t>(kFileTimePerMillisecond), true);
        return WaitForSingleObject(timer.Signal(), INFINITE) == WAIT_OBJECT_0 ? 0 : 1;
    }
    if (command == "write-stalled" && n == 2) return WriteStalled(a);
    if (command == "args" && n >= 1) return Args(argc, argv);
    if (command == "snapshot" && n == 0) return Snapshot();
    if (command == "exit" && n == 1) return std::atoi(a[0]);
    return 2;
}
