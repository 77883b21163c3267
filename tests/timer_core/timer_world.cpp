#include "tests/timer_core/timer_world.h"

#ifdef FRIIOVIEW_PATH

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "broadcast_sim/time_builder.h"
#include "tests/timer_core/timer_core_test_environment.h"
#include "tools/broadcast_time_span.h"

namespace timer_core_test {
namespace {

namespace fs = std::filesystem;

constexpr int kHostStartMs = 60000;
constexpr int kHostEndMs = 30000;

std::string MessageLine(platform::UINT message) {
    char text[32];
    std::snprintf(text, sizeof text, "message 0x%03X ", message);
    return text;
}

// "2026-12-04 05:20:13.250"
std::optional<platform::SYSTEMTIME> ParseHostTime(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &year, &month, &day, &hour, &minute,
                    &second, &ms) != 7)
        return std::nullopt;
    platform::SYSTEMTIME time = broadcast_sim::JstTime(year, month, day, hour, minute, second);
    time.wMilliseconds = static_cast<platform::WORD>(ms);
    return time;
}

TimerWorldOptions WithDefaults(TimerWorldOptions options) {
    options.binFolder = fs::path(FRIIOVIEW_PATH).parent_path();
    if (!options.offscreen) options.offscreen = true;
    return options;
}

}  // namespace

TimerWorld::TimerWorld(TimerWorldOptions options)
    : world_(FreshFolder("timer-world"), WithDefaults(std::move(options))) {}

TimerWorld::~TimerWorld() {
    Stop();
}

bool TimerWorld::Start() {
    if (!world_.Prepare()) return false;
    host_ = std::make_unique<test_support::HelperProcess>(
        TIMER_HOST_PATH, std::vector<std::string>{world_.TimerIni().string()},
        world_.ChildEnvironment());
    if (host_->Pid() <= 0) return false;
    return WaitForReport("ready ", kHostStartMs).has_value();
}

void TimerWorld::Stop() {
    if (::testing::Test::HasFailure() && !transcriptShown_) {
        transcriptShown_ = true;
        PrintTranscript();
    }
    if (host_) {
        host_->WriteLine("quit");
        if (!ReadUntil([](const std::string& line) { return line == "closed"; }, 0, kHostEndMs)) {
            ADD_FAILURE() << "the timer host did not close";
            host_->Kill();
        }
        // A sanitizer's report ends the host with another status.
        const int status = host_->Wait();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ADD_FAILURE() << "the timer host ended with wait status " << status;
        host_.reset();
    }
    world_.Stop();
}

void TimerWorld::PrintTranscript() {
    Drain();
    std::printf("--- timer host reports\n");
    for (const HostReport& report : reports_)
        std::printf("%s\n", report.line.c_str());
    const std::vector<std::string> lines = world_.DebugLogLines();
    constexpr std::size_t kLastLines = 60;
    std::printf("--- debug log (last %zu of %zu lines)\n", std::min(kLastLines, lines.size()),
                lines.size());
    for (std::size_t i = lines.size() > kLastLines ? lines.size() - kLastLines : 0;
         i < lines.size(); ++i)
        std::printf("%s\n", lines[i].c_str());
    std::fflush(stdout);
}

std::optional<std::size_t> TimerWorld::ReadUntil(
    const std::function<bool(const std::string&)>& match, std::size_t from, int timeoutMs) {
    for (std::size_t i = from; i < reports_.size(); ++i) {
        if (match(reports_[i].line)) return i;
    }
    if (!host_) return std::nullopt;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        const auto line = host_->ReadLine(left);
        if (!line) return std::nullopt;
        reports_.push_back({*line, std::chrono::steady_clock::now()});
        if (match(*line)) return reports_.size() - 1;
    }
}

std::optional<std::string> TimerWorld::WaitForReport(const std::string& prefix, int timeoutMs) {
    const auto at = ReadUntil([&](const std::string& line) { return line.starts_with(prefix); },
                              nextReport_, timeoutMs);
    if (!at) return std::nullopt;
    nextReport_ = *at + 1;
    return reports_[*at].line.substr(prefix.size());
}

std::optional<platform::SYSTEMTIME> TimerWorld::WaitForMessage(platform::UINT message, int nth,
                                                               int timeoutMs) {
    const std::string prefix = MessageLine(message);
    int seen = 0;
    const auto at = ReadUntil(
        [&](const std::string& line) { return line.starts_with(prefix) && ++seen == nth; }, 0,
        timeoutMs);
    if (!at) return std::nullopt;
    return ParseHostTime(reports_[*at].line.substr(prefix.size()));
}

int TimerWorld::MessageCount(platform::UINT message) const {
    const std::string prefix = MessageLine(message);
    return static_cast<int>(std::count_if(reports_.begin(), reports_.end(), [&](const auto& r) {
        return r.line.starts_with(prefix);
    }));
}

void TimerWorld::Command(const std::string& command) {
    if (host_) host_->WriteLine(command);
}

std::optional<std::string> TimerWorld::Ask(const std::string& command,
                                           const std::string& replyPrefix) {
    Drain();
    nextReport_ = reports_.size();
    Command(command);
    return WaitForReport(replyPrefix);
}

void TimerWorld::Drain() {
    if (!host_) return;
    while (auto line = host_->ReadLine(std::chrono::milliseconds(1)))
        reports_.push_back({*line, std::chrono::steady_clock::now()});
}

bool TimerWorld::AddReservation(const timer_core::ReserveEntry& entry) {
    if (!world_.AppendReservation(entry)) return false;
    Drain();
    const int merged = MessageCount(timer_core::WM_RELOAD_RESERVATIONS);
    Command("reload");
    return WaitForMessage(timer_core::WM_RELOAD_RESERVATIONS, merged + 1).has_value();
}

std::optional<std::pair<platform::SYSTEMTIME, platform::SYSTEMTIME>> TimerWorld::TotSpan(
    const fs::path& path) {
    const auto span = tools::ReadBroadcastTimeSpan(path);
    if (!span) return std::nullopt;
    return std::make_pair(span->first, span->last);
}

}  // namespace timer_core_test

#endif  // FRIIOVIEW_PATH
