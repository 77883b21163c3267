// Time arithmetic of the programme texts: whether the broadcast clock lies within an event, an
// event's end, and the time range line shown above a programme. Times are broadcast local wall
// time as the tables carry it, converted through FILETIME without any time-zone change.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_time.h"

namespace capture_plugin {

// 1 when start <= now <= start + duration (both ends inclusive), filling the outputs that are
// given (start and end as FILETIME); 0 otherwise, also when the start is no valid date.
int IsTimeInWindow(const platform::SYSTEMTIME& start, platform::FILETIME* startOut,
                   std::uint32_t durationSeconds, const platform::FILETIME& now,
                   platform::FILETIME* endOut);

// out = in + seconds, through FILETIME (wDayOfWeek filled). 1 done; 0 when out is null or `in`
// is no valid date (out then unchanged).
int AddSecondsToSystemTime(const platform::SYSTEMTIME& in, platform::SYSTEMTIME* out,
                           std::uint32_t seconds);

// "2009/01/04(日) 20:00～21:00": start date with its weekday mark, start and end hour and
// minute. Returns 1 (0 only for a null output).
int FormatProgramTimeRange(std::wstring* out, const platform::SYSTEMTIME& start,
                           const platform::SYSTEMTIME& end);

}  // namespace capture_plugin
