// The recording day of scripts/run.sh: one evening of the synthetic broadcast on two terrestrial
// channels (みなと総合, さくらテレビ) and one BS channel (ＢＳみなと), what the user has set up
// before it, and what the broadcasters change while it runs.
//
//   18:57      Orvandel starts; EPG acquisition at 19:00 (both tuners, the plug-in collects)
//   ~19:03     the EPG reload turns three search conditions into reservations (follow mode)
//              the user closes Orvandel, adds one line to Program.txt by hand (fixed mode),
//              starts it again and opens an iEPG file, which starts a second Orvandel that hands
//              it to the running one
//   19:06      みなとニュース (ニュース), extended by two minutes while it is recorded
//   19:07      ＢＳ世界紀行 (紀行), moved to 19:09 shortly before it starts
//   19:12      さくらドラマ (ドラマ) on the terrestrial tuner, then at 19:14 みなとスポーツ (by
//   hand,
//              fixed mode) chained behind it on the same tuner
//   19:13      ＢＳ調べの小箱 (iEPG) on the BS/CS tuner
//   ~19:16     the day ends: a picture of the main window, Orvandel closed
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "timer_core/epg/auto_search_condition.h"
#include "timer_core/reservations/reserve_entry.h"
#include "tools/iepg_file.h"
#include "tools/system_world.h"
#include "tools/world_plan.h"

namespace tools {

// A programme the day should record, as it is finally broadcast (after the scripted changes).
struct DayProgramme {
    std::wstring title;
    std::string how;  // how it came to be reserved
    platform::SYSTEMTIME start{};
    int seconds = 0;
    // A chained reservation on the same tuner takes over this long before the programme's end:
    // by the hand-over rule (equal priorities, RecPriority 0) the first recording stops 20 s
    // early so that the next one starts with its margin.
    int handOverSeconds = 0;
};

struct RecordingDayPlan : WorldPlan {
    // When the EPG acquisition must have brought the automatic reservations, and when the last
    // recording must have ended.
    platform::SYSTEMTIME reservationsBy{};
    platform::SYSTEMTIME dayEnd{};
    timer_core::ReserveEntry handMade;
    IepgProgramme iepg;
    std::vector<DayProgramme> programmes;
};

// The evening of 2026-12-04 (a Friday).
RecordingDayPlan EveningPlan();

// The world's options for the plan (clock rate, folders and display are the caller's).
SystemWorldOptions WorldOptionsFor(const RecordingDayPlan& plan);

}  // namespace tools
