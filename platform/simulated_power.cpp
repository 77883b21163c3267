#include "platform/simulated_power.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/clock.h"

namespace platform {
namespace {

const char* SimulationFile() {
    const char* file = std::getenv("ORVANDEL_SIM_POWER");
    return file != nullptr && *file != '\0' ? file : nullptr;
}

}  // namespace

bool IsPowerSimulated() {
    return SimulationFile() != nullptr;
}

bool IsWakeAlarmRefusalSimulated() {
    const char* refused = std::getenv("ORVANDEL_SIM_NO_WAKE_ALARM");
    return refused != nullptr && *refused != '\0';
}

std::string FormatLocalTime(std::uint64_t fileTime) {
    const FILETIME ft = U64ToFileTime(fileTime);
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
    return text;
}

void AppendSimulatedPowerRequest(std::string_view request) {
    AppendSimulatedPowerRequest(request, Clock::Instance().NowLocal());
}

void AppendSimulatedPowerRequest(std::string_view request, std::uint64_t atLocal) {
    const char* file = SimulationFile();
    if (file == nullptr) return;
    const std::string line = FormatLocalTime(atLocal) + " " + std::string(request) + "\n";
    // O_APPEND and one write: lines of several processes never interleave.
    const int fd = ::open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

}  // namespace platform
