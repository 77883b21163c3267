// The soak run's account of its recordings: what it saw of each programme that fell due (its
// reservation's result text and the recording files with the broadcast time they hold), the
// verdict on each, and the counts per day and in all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "tools/broadcast_time_span.h"
#include "tools/soak_plan.h"

namespace tools {

// What the run saw of a due programme once it had ended (the files are deleted after the look).
struct SoakObservation {
    bool reserved = false;  // Program.txt held a numbered reservation of it
    std::wstring resultText;
    int files = 0;  // recording files of its start and title
    std::uintmax_t bytes = 0;
    // The earliest and the latest broadcast time over its files; nullopt when none holds one.
    std::optional<BroadcastTimeSpan> span;
};

enum class SoakVerdict {
    kMade,
    kNotSeen,          // the run ended before it could look
    kNotReserved,      // no reservation: the conditions or the EPG acquisition failed it
    kNotRecorded,      // reserved, but no recording file
    kNoBroadcastTime,  // a file without a single TOT
    kLateStart,        // the recording began after the programme's start
    kEarlyEnd,         // the recording ended before the programme's end
    kResultNotDone,    // the timer did not note the recording as done
};

SoakVerdict JudgeRecording(const SoakProgramme& programme, const SoakObservation* seen);

// A missed start: the programme's start is not in a recording (late, or none at all although it
// was reserved).
bool IsMissedStart(SoakVerdict verdict);

// The verdict as a line of the report (UTF-8), e.g. "みなとニュース 2026/12/07 04:10 began
// 04:10:35, after its start".
std::string VerdictText(const SoakProgramme& programme, const SoakObservation* seen,
                        SoakVerdict verdict);

struct SoakDayCount {
    int due = 0;
    int reserved = 0;
    int made = 0;
    int missedStarts = 0;
};

struct SoakTally {
    std::vector<SoakDayCount> days;  // by day of the run
    SoakDayCount total;
    std::vector<std::string> problems;  // one line per programme not made
};

// Counts the programmes of `due` (each with its day of the run) against what was seen of them
// (`seen[i]` belongs to `due[i]`; null when it was never looked at).
SoakTally TallyRecordings(const std::vector<SoakProgramme>& due, const std::vector<int>& dayOf,
                          const std::vector<const SoakObservation*>& seen, int days);

}  // namespace tools
