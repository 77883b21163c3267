#include "platform/process_identity.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace platform {
namespace {

// Reads a small /proc file whole; empty on failure.
std::string ReadProcFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buf[1024];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

std::uint64_t ProcessStartTime(DWORD pid) {
    if (pid == 0) return 0;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%u/stat", pid);
    const std::string stat = ReadProcFile(path);
    // The command name may hold blanks and parentheses: the fields start after the last ')'.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return 0;
    const char state = stat[close + 2];
    if (state == 'Z' || state == 'X' || state == 'x') return 0;
    // Field 3 is the state; the start time is field 22.
    const char* p = stat.c_str() + close + 2;
    for (int field = 3; field < 22; ++field) {
        p = std::strchr(p, ' ');
        if (p == nullptr) return 0;
        ++p;
    }
    const std::uint64_t start = std::strtoull(p, nullptr, 10);
    return start == 0 ? 1 : start;
}

std::uint64_t OwnStartTime() {
    static const std::uint64_t start = ProcessStartTime(static_cast<DWORD>(::getpid()));
    return start;
}

bool IsProcessAlive(DWORD pid, std::uint64_t startTime) {
    return startTime != 0 && ProcessStartTime(pid) == startTime;
}

DWORD ProcessOfThread(DWORD tid) {
    if (tid == 0) return 0;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%u/status", tid);
    const std::string status = ReadProcFile(path);
    const std::size_t at = status.find("\nTgid:");
    if (at == std::string::npos) return 0;
    return static_cast<DWORD>(std::strtoul(status.c_str() + at + 6, nullptr, 10));
}

std::uint64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000 +
           static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000;
}

}  // namespace platform
