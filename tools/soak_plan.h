// The week of the soak run (scripts/soak.sh): a synthetic broadcast on two terrestrial channels
// (みなと総合, さくらテレビ) and one BS channel (ＢＳみなと) with a guide always a week ahead,
// a daily EPG acquisition at 02:00 and three search conditions that turn 40 short programmes a
// day into reservations for the two tuners:
//
//   04:10-04:13 .. 23:10-23:13  みなとニュース (ニュース, follow mode)         terrestrial, hourly
//   04:13-04:16 .. 22:13-22:16  さくらドラマ (ドラマ, follow mode)              terrestrial, even
//                               hours, chained behind the news on the same tuner
//   04:10-04:13 .. 22:10-22:13  ＢＳ世界紀行 (紀行, fixed time)                BS, even hours,
//                               at the same time as the news on the other tuner
//
// Nothing is reserved between 00:00 and 04:00, so the acquisition at 02:00 is never put off by a
// reservation within the next 90 minutes; the run's days begin at 01:57.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "timer_core/epg/auto_search_condition.h"
#include "tools/system_world.h"
#include "tools/world_plan.h"

namespace tools {

// A programme a condition finds: it is due to be recorded once the run has passed its end.
struct SoakProgramme {
    std::wstring title;
    std::uint32_t channel = 0;
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    platform::SYSTEMTIME start{};
    int seconds = 0;
    bool follow = false;
    // The recording may end this long before the programme does: a chained one takes over.
    int handOverSeconds = 0;
};

struct SoakPlan : WorldPlan {
    // Every programme the conditions find in the broadcast, in start order.
    std::vector<SoakProgramme> programmes;
};

inline constexpr int kSoakProgrammesPerDay = 40;

// A plan for a run of `days` days (partly counted: 0.5 is half a day) from 01:57 of 2026-12-07
// (a Monday); the broadcast reaches eight days beyond the run.
SoakPlan SoakWeekPlan(double days);

// The world's options for the plan at the clock rate (folders and display are the caller's).
SystemWorldOptions SoakWorldOptions(const SoakPlan& plan, double clockRate);

}  // namespace tools
