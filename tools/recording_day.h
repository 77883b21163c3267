// The recording day of scripts/run.sh (tools/recording_day_plan.h) run in a world of the whole
// system (tools/system_world.h): Orvandel started as a user starts it, the user's actions at
// their moments, and at the end what the user wants to know: the reservations with their
// results, the recording files with the broadcast time each holds, and what went wrong.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "timer_core/reservations/reserve_entry.h"
#include "tools/broadcast_time_span.h"
#include "tools/recording_day_plan.h"
#include "tools/world_watch.h"

namespace tools {

struct RecordingDayOptions {
    std::filesystem::path root;       // an existing, empty folder: the world
    std::filesystem::path binFolder;  // Orvandel, FriioView and the plug-in
    double clockRate = 20.0;
    std::optional<bool> offscreen;  // default: when there is no display
    std::FILE* live = nullptr;      // the day's events as they happen (may be null)
};

struct DayRecording {
    std::filesystem::path path;
    std::uintmax_t size = 0;
    std::optional<BroadcastTimeSpan> span;
};

struct RecordingDayResult {
    RecordingDayPlan plan;
    std::filesystem::path root;
    double clockRate = 0;
    platform::SYSTEMTIME began{};
    platform::SYSTEMTIME ended{};
    double realSeconds = 0;
    std::vector<WorldEvent> events;
    // What the EPG data folder holds at the end.
    std::size_t epgServices = 0;
    std::size_t epgProgrammes = 0;
    // Program.txt after Orvandel closed.
    std::vector<timer_core::ReserveEntry> reservations;
    std::vector<DayRecording> recordings;
    std::filesystem::path picture;  // empty when no picture could be taken
    // Empty when nothing went wrong.
    std::vector<std::string> problems;
};

// How much of the broadcast a recording holds around its programme, in whole seconds: before its
// start (negative: it began late) and after its end (negative: it ended early).
struct RecordedMargins {
    int before = 0;
    int after = 0;
};
RecordedMargins MarginsOf(const DayProgramme& programme, const BroadcastTimeSpan& span);

// The lines of a debug log that tell of something going wrong, which the day's report quotes.
std::vector<std::string> FaultsInDebugLog(const std::vector<std::string>& lines);

RecordingDayResult RunRecordingDay(const RecordingDayOptions& options);

void PrintRecordingDayReport(const RecordingDayResult& result, std::FILE* out);

}  // namespace tools
