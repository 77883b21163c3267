// The soak run of scripts/soak.sh: the whole system (tools/system_world.h) left to run the plan of
// tools/soak_plan.h for days on a fast clock, as a user leaves the timer running for a week. It
// looks at every programme that falls due once it has ended (the reservation's result and the
// recording files, which it deletes after the look), samples Orvandel's memory and threads and
// the world's processes at hh:57 of every hour (a moment when no recording runs), and at the end
// closes Orvandel and tells what was left running.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "tools/soak_tally.h"
#include "tools/system_world.h"

namespace tools {

struct SoakOptions {
    std::filesystem::path root;       // an existing, empty folder: the world
    std::filesystem::path binFolder;  // Orvandel, FriioView and the plug-in
    double days = 7;                  // counted in whole hours
    double clockRate = 400;
    std::optional<bool> offscreen;  // default: when there is no display
    std::FILE* live = nullptr;      // a line per day and every problem as it is seen (may be null)
};

// Orvandel and the world at an idle moment (hh:57).
struct SoakSample {
    platform::SYSTEMTIME at{};
    std::uint64_t rssKb = 0;  // Orvandel's resident memory
    int threads = 0;          // Orvandel's threads
    int ownThreads = 0;       // of them, those that are not workers of Qt's thread pool
    // Record threads the scheduler should hold then: one per tuner group with a reservation
    // within its three hours ahead.
    int slots = 0;
    int viewers = 0;  // FriioView processes running
};

// The growth of Orvandel's resident memory allowed from the baseline (03:57 of the first day,
// after the first EPG acquisition, before the first recording) to the end: a fixed part for the
// heap settling and a part for each day the run goes on.
inline constexpr std::uint64_t kSoakRssBaseKb = 8 * 1024;
inline constexpr std::uint64_t kSoakRssPerDayKb = 2 * 1024;

struct SoakResult {
    std::filesystem::path root;
    double clockRate = 0;
    int hours = 0;
    platform::SYSTEMTIME began{};
    platform::SYSTEMTIME ended{};
    double realSeconds = 0;
    SoakTally tally;
    std::vector<SoakSample> samples;  // hourly, the first at the start
    std::optional<SoakSample> baseline;
    std::uint64_t rssBoundKb = 0;
    std::uintmax_t recordedBytes = 0;               // over all recordings looked at (and deleted)
    std::vector<SystemWorld::Process> leftRunning;  // what had to be ended after Orvandel closed
    // Empty when nothing went wrong (the tally's problems are added here).
    std::vector<std::string> problems;
};

SoakResult RunSoak(const SoakOptions& options);

void PrintSoakReport(const SoakResult& result, std::FILE* out);

}  // namespace tools
