#include "tools/soak_tally.h"

#include <cstdio>

#include "platform/utf8.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/world_watch.h"

namespace tools {
namespace {

std::string Name(const SoakProgramme& programme) {
    char when[32];
    const platform::SYSTEMTIME& t = programme.start;
    std::snprintf(when, sizeof when, " %04d/%02d/%02d %02d:%02d", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute);
    return platform::WideToUtf8(programme.title) + when;
}

}  // namespace

SoakVerdict JudgeRecording(const SoakProgramme& programme, const SoakObservation* seen) {
    if (seen == nullptr) return SoakVerdict::kNotSeen;
    if (!seen->reserved) return SoakVerdict::kNotReserved;
    if (seen->files == 0) return SoakVerdict::kNotRecorded;
    if (!seen->span) return SoakVerdict::kNoBroadcastTime;
    const RecordingShortfall shortfall =
        ShortfallOf(*seen->span, programme.start, programme.seconds, programme.handOverSeconds);
    if (shortfall.atStart > 0) return SoakVerdict::kLateStart;
    if (shortfall.atEnd > 0) return SoakVerdict::kEarlyEnd;
    if (seen->resultText.find(L"録画終了") == std::wstring::npos)
        return SoakVerdict::kResultNotDone;
    return SoakVerdict::kMade;
}

bool IsMissedStart(SoakVerdict verdict) {
    return verdict == SoakVerdict::kLateStart || verdict == SoakVerdict::kNotRecorded ||
           verdict == SoakVerdict::kNoBroadcastTime;
}

std::string VerdictText(const SoakProgramme& programme, const SoakObservation* seen,
                        SoakVerdict verdict) {
    const std::string name = Name(programme);
    const std::string result =
        seen != nullptr ? " (result \"" + platform::WideToUtf8(seen->resultText) + "\")" : "";
    switch (verdict) {
        case SoakVerdict::kMade:
            return name + " recorded";
        case SoakVerdict::kNotSeen:
            return name + " was not looked at before the run ended";
        case SoakVerdict::kNotReserved:
            return name + " was never reserved";
        case SoakVerdict::kNotRecorded:
            return name + " has no recording file" + result;
        case SoakVerdict::kNoBroadcastTime:
            return name + " has a recording without broadcast time" + result;
        case SoakVerdict::kLateStart:
            return name + " began " + ClockText(seen->span->first) + ", after its start" + result;
        case SoakVerdict::kEarlyEnd:
            return name + " ended " + ClockText(seen->span->last) + ", before its end" + result;
        case SoakVerdict::kResultNotDone:
            return name + " was not noted as done" + result;
    }
    return name;
}

SoakTally TallyRecordings(const std::vector<SoakProgramme>& due, const std::vector<int>& dayOf,
                          const std::vector<const SoakObservation*>& seen, int days) {
    SoakTally tally;
    tally.days.resize(static_cast<std::size_t>(days));
    for (std::size_t i = 0; i < due.size(); ++i) {
        const SoakVerdict verdict = JudgeRecording(due[i], seen[i]);
        for (SoakDayCount* count :
             {&tally.days.at(static_cast<std::size_t>(dayOf[i])), &tally.total}) {
            ++count->due;
            if (seen[i] != nullptr && seen[i]->reserved) ++count->reserved;
            if (verdict == SoakVerdict::kMade) ++count->made;
            if (IsMissedStart(verdict)) ++count->missedStarts;
        }
        if (verdict != SoakVerdict::kMade)
            tally.problems.push_back(VerdictText(due[i], seen[i], verdict));
    }
    return tally;
}

}  // namespace tools
