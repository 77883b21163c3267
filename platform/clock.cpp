#include "platform/clock.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "platform/last_error.h"
#include "platform/process_identity.h"
#include "platform/shared_clock_state.h"

namespace platform {
namespace {

double RealUnixSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::int64_t RealUnixNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

std::int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// How long a start-up may hold the clock at most: a program that never says it is ready (or
// hangs while it starts) stops the world no longer than this.
constexpr std::int64_t kStartUpHoldLimitNs = 30'000'000'000;
// While the clock is held, how often a process looks whether the programs it waits for ended.
constexpr std::int64_t kHoldSweepNs = 50'000'000;
// While the clock is held, a wait looks again this often (real time) whether it runs again.
constexpr std::chrono::milliseconds kHeldPoll(2);

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
    if (!sim_) return;
    anchorNs_ = std::llround(sim_->anchorUnixSeconds * 1e9);
    shared_ = std::make_unique<SharedClockState>(SimulationKey(*sim_));
}

Clock::~Clock() = default;

std::int64_t Clock::SimulatedRunningNs() const {
    const std::int64_t now = RealUnixNs();
    SweepHolds(now);
    return now - anchorNs_ - shared_->HeldNs(now);
}

double Clock::SimulatedSeconds() const {
    return static_cast<double>(SimulatedRunningNs()) / 1e9 * sim_->rate;
}

void Clock::SweepHolds(std::int64_t nowNs) const {
    std::int64_t last = lastSweepNs_.load(std::memory_order_relaxed);
    if (nowNs - last < kHoldSweepNs || !shared_->IsHeld(nowNs)) return;
    if (!lastSweepNs_.compare_exchange_strong(last, nowNs)) return;
    shared_->EndHoldsOfEndedPrograms(nowNs);
}

std::uint64_t Clock::SimulatedBase() const {
    const double elapsed = SimulatedSeconds() * static_cast<double>(kFileTimePerSecond);
    return sim_->startLocal + static_cast<std::int64_t>(std::llround(elapsed));
}

std::uint64_t Clock::NowLocal() const {
    if (sim_) return SimulatedBase() + static_cast<std::uint64_t>(shared_->LoadOffset());
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
    const auto elapsed = Elapsed().count();
    return elapsed > 0 ? static_cast<std::uint64_t>(elapsed / 1'000'000) : 0;
}

std::chrono::nanoseconds Clock::Elapsed() const {
    if (!sim_) return std::chrono::nanoseconds(MonotonicNs());
    return std::chrono::nanoseconds(std::llround(SimulatedSeconds() * 1e9));
}

std::chrono::nanoseconds Clock::RunningRealTime() const {
    return std::chrono::nanoseconds(sim_ ? SimulatedRunningNs() : MonotonicNs());
}

std::chrono::nanoseconds Clock::ToReal(std::chrono::nanoseconds clockTime) const {
    if (!sim_) return clockTime;
    return std::chrono::nanoseconds(
        static_cast<std::int64_t>(static_cast<double>(clockTime.count()) / sim_->rate));
}

std::chrono::nanoseconds Clock::RealWait(std::chrono::nanoseconds clockLeft) const {
    if (clockLeft <= std::chrono::nanoseconds(0)) return std::chrono::nanoseconds(0);
    if (!sim_) return clockLeft;
    if (shared_->IsHeld(RealUnixNs())) return kHeldPoll;
    return std::max(ToReal(clockLeft), std::chrono::nanoseconds(1));
}

bool Clock::SharedWithNewPrograms() const {
    if (!sim_) return false;
    const char* value = std::getenv("ORVANDEL_SIM_CLOCK");
    const auto setting = value != nullptr ? ParseSimClockSetting(value) : std::nullopt;
    if (!setting || SimulationKey(*setting) != SimulationKey(*sim_)) return false;
    return shared_->Path() == SharedClockState::PathFor(SimulationKey(*sim_));
}

int Clock::BeginStartUpHold() {
    if (!sim_) return -1;
    return shared_->BeginHold(RealUnixNs(), kStartUpHoldLimitNs).value_or(-1);
}

void Clock::AttachStartUpHold(int slot, int pid) {
    if (sim_ && slot >= 0) shared_->AttachHold(slot, pid);
}

void Clock::EndStartUpHold(int slot) {
    if (sim_ && slot >= 0) shared_->EndHold(slot, RealUnixNs());
}

void Clock::ReportReady() {
    if (sim_) shared_->EndHoldsOf(::getpid(), RealUnixNs());
}

void Clock::HoldUntilExit() {
    if (!sim_) return;
    const auto slot = shared_->BeginHold(RealUnixNs(), kStartUpHoldLimitNs);
    if (slot) shared_->AttachHold(*slot, ::getpid());
}

std::int64_t Clock::HoldsEndedByBound() const {
    return sim_ ? shared_->HoldsEndedByBound() : 0;
}

bool Clock::SetLocal(std::uint64_t fileTime) {
    if (sim_) {
        return shared_->StoreOffset(static_cast<std::int64_t>(fileTime - SimulatedBase()));
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
    const ClockDeadline deadline{std::chrono::milliseconds(ms)};
    for (auto wait = deadline.RealWait(); wait.count() > 0; wait = deadline.RealWait())
        std::this_thread::sleep_for(wait);
}

ClockDeadline::ClockDeadline(std::chrono::nanoseconds span, const Clock& clock)
    : clock_(clock), due_(clock.Elapsed() + span) {}

std::chrono::nanoseconds ClockDeadline::RealWait() const {
    return clock_.RealWait(due_ - clock_.Elapsed());
}

void ReportProgramReady() {
    Clock::Instance().ReportReady();
}

void HoldClockUntilExit() {
    Clock::Instance().HoldUntilExit();
}

}  // namespace platform
