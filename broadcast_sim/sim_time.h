// JST wall times of the synthetic broadcast as 64-bit FILETIME values, for arithmetic.
#pragma once

#include <cstdint>

#include "platform/system_time.h"

namespace broadcast_sim {

// The time as a FILETIME value; 0 for a time that is no valid date.
std::uint64_t ToTimeValue(const platform::SYSTEMTIME& time);

// The calendar form of a FILETIME value (day of the week filled in).
platform::SYSTEMTIME ToCalendar(std::uint64_t value);

// 00:00 of the value's day.
inline std::uint64_t StartOfDay(std::uint64_t value) {
    return value - value % platform::kFileTimePerDay;
}

}  // namespace broadcast_sim
