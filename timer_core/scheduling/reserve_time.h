// Time arithmetic of the scheduler: local SYSTEMTIME values as FILETIME numbers (100-ns units),
// reservation ends, and the time-range text of the overlap report.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_time.h"
#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {

inline constexpr std::uint64_t kFileTimePerMinute = 60 * platform::kFileTimePerSecond;
inline constexpr std::uint64_t kFileTimePerHour = 60 * kFileTimePerMinute;

// The FILETIME value of a local time; 0 when it is no valid date (a hand-edited Program.txt may
// hold one), which the scheduler then leaves out of its planning.
std::uint64_t LocalFileTime(const platform::SYSTEMTIME& time);

// The local time of a FILETIME value, its weekday filled in.
platform::SYSTEMTIME LocalSystemTime(std::uint64_t fileTime);

// The present local time as a FILETIME value.
std::uint64_t LocalNowFileTime();

// start + duration minutes of a reservation (the duration seconds are not counted); 0 when its
// start is no valid date.
std::uint64_t ReserveEndFileTime(const ReserveEntry& entry);

// end = start + minutes x 60 s. The out values may be null. Always 1.
int ComputeEndTimeMinutes(std::uint32_t minutes, const platform::SYSTEMTIME& start,
                          platform::FILETIME* startOut = nullptr,
                          platform::FILETIME* endOut = nullptr,
                          platform::SYSTEMTIME* endTimeOut = nullptr);

// end = start + seconds. The out values may be null. Always 1.
int ComputeEndTimeSeconds(std::uint32_t seconds, const platform::SYSTEMTIME& start,
                          platform::FILETIME* startOut = nullptr,
                          platform::FILETIME* endOut = nullptr);

// "2026/12/04(金) 20:00": a start's date, weekday and clock time, as the main window's list and
// tip show it. A start that is no valid date still shows its fields, with the weekday of its
// calendar date.
std::wstring FormatStartDateTime(const platform::SYSTEMTIME& start);

// "2026/12/04(金) 20:00～21:00": the start's date and weekday, start and end clock times (the
// end's date is not shown). Always 1.
int FormatReserveTimeRange(std::wstring* out, const platform::SYSTEMTIME& start,
                           const platform::SYSTEMTIME& end);

}  // namespace timer_core
