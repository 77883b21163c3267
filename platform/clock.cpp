#include "platform/clock.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "platform/last_error.h"
#include "platform/process_identity.h"
#include "platform/shared_clock_offset.h"

namespace platform {
namespace {

double RealUnixSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::optional<SimClockSetting> SimFromEnvironment() {
    const char* value = std::getenv("ORVANDEL_SIM_CLOCK");
    if (value == nullptr || *value == '\0') return std::nullopt;
    auto parsed = ParseSimClockSetting(value);
    if (!parsed) {
        std::fprintf(stderr, "ORVANDEL_SIM_CLOCK is malformed (%s); using the real clock\n", value);
    }
    return parsed;
}

// Names a simulation, so that only processes running the same one share its offset.
std::string SimulationKey(const SimClockSetting& sim) {
    char text[96];
    std::snprintf(text, sizeof text, "%llu,%.17g,%.6f",
                  static_cast<unsigned long long>(sim.startLocal), sim.rate, sim.anchorUnixSeconds);
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const char* p = text; *p != '\0'; ++p)
        hash = (hash ^ static_cast<unsigned char>(*p)) * 1099511628211ULL;
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

std::optional<SimClockSetting> ParseSimClockSetting(const std::string& text) {
    SYSTEMTIME st{};
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d,%n", &y, &mo, &d, &h, &mi, &s, &used) != 6 ||
        used == 0) {
        return std::nullopt;
    }
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    FILETIME ft{};
    if (y < 1601 || y > 30827 || !SystemTimeToFileTime(&st, &ft)) return std::nullopt;
    SimClockSetting setting;
    setting.startLocal = FileTimeToU64(ft);
    char* end = nullptr;
    const char* rest = text.c_str() + used;
    setting.rate = std::strtod(rest, &end);
    if (end == rest || *end != ',' || !(setting.rate > 0) || !std::isfinite(setting.rate)) {
        return std::nullopt;
    }
    rest = end + 1;
    setting.anchorUnixSeconds = std::strtod(rest, &end);
    if (end == rest || *end != '\0' || !std::isfinite(setting.anchorUnixSeconds)) {
        return std::nullopt;
    }
    return setting;
}

std::string FormatSimClockSetting(const SYSTEMTIME& startLocal, double rate) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d,%.17g,%.6f", startLocal.wYear,
                  startLocal.wMonth, startLocal.wDay, startLocal.wHour, startLocal.wMinute,
                  startLocal.wSecond, rate, RealUnixSeconds());
    return buf;
}

Clock& Clock::Instance() {
    static Clock clock(SimFromEnvironment());
    return clock;
}

Clock::Clock(std::optional<SimClockSetting> sim) : sim_(sim) {
    if (sim_) offset_ = std::make_unique<SharedClockOffset>(SimulationKey(*sim_));
}

Clock::~Clock() = default;

double Clock::SimulatedSeconds() const {
    return (RealUnixSeconds() - sim_->anchorUnixSeconds) * sim_->rate;
}

std::uint64_t Clock::SimulatedBase() const {
    const double elapsed = SimulatedSeconds() * static_cast<double>(kFileTimePerSecond);
    return sim_->startLocal + static_cast<std::int64_t>(std::llround(elapsed));
}

std::uint64_t Clock::NowLocal() const {
    if (sim_) return SimulatedBase() + static_cast<std::uint64_t>(offset_->Load());
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    const time_t secs = ts.tv_sec;
    localtime_r(&secs, &local);
    const std::int64_t localSecs = static_cast<std::int64_t>(ts.tv_sec) + local.tm_gmtoff;
    return kUnixEpochAsFileTime + static_cast<std::uint64_t>(localSecs) * kFileTimePerSecond +
           static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

std::uint64_t Clock::TickMs() const {
    if (!sim_) return MonotonicMs();
    const double elapsed = SimulatedSeconds();
    return elapsed > 0 ? static_cast<std::uint64_t>(elapsed * 1000.0) : 0;
}

std::chrono::nanoseconds Clock::ToReal(std::chrono::nanoseconds clockTime) const {
    if (!sim_) return clockTime;
    return std::chrono::nanoseconds(
        static_cast<std::int64_t>(static_cast<double>(clockTime.count()) / sim_->rate));
}

bool Clock::SetLocal(std::uint64_t fileTime) {
    if (sim_) {
        return offset_->Store(static_cast<std::int64_t>(fileTime - SimulatedBase()));
    }
    const timespec target = LocalToRealtime(fileTime);
    if (clock_settime(CLOCK_REALTIME, &target) == 0) return true;
    SetLastError(errno == EPERM ? ERROR_PRIVILEGE_NOT_HELD : ErrorFromErrno(errno));
    return false;
}

timespec LocalToRealtime(std::uint64_t localFileTime) {
    const time_t now = ::time(nullptr);
    tm parts{};
    localtime_r(&now, &parts);
    const std::int64_t unix100ns = static_cast<std::int64_t>(localFileTime - kUnixEpochAsFileTime) -
                                   static_cast<std::int64_t>(parts.tm_gmtoff) * 10'000'000LL;
    return timespec{static_cast<time_t>(unix100ns / 10'000'000LL),
                    static_cast<long>(unix100ns % 10'000'000LL) * 100};
}

void GetLocalTime(SYSTEMTIME* out) {
    const FILETIME ft = U64ToFileTime(Clock::Instance().NowLocal());
    FileTimeToSystemTime(&ft, out);
}

BOOL SetLocalTime(const SYSTEMTIME* in) {
    FILETIME ft{};
    if (!SystemTimeToFileTime(in, &ft)) return FALSE;
    return Clock::Instance().SetLocal(FileTimeToU64(ft)) ? TRUE : FALSE;
}

DWORD GetTickCount() {
    return static_cast<DWORD>(Clock::Instance().TickMs());
}

std::uint64_t GetTickCount64() {
    return Clock::Instance().TickMs();
}

void Sleep(DWORD ms) {
    std::this_thread::sleep_for(Clock::Instance().ToRealMs(ms));
}

}  // namespace platform
