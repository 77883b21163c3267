// SYSTEMTIME and FILETIME with their Windows conversions. Pure arithmetic, no clock.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};
static_assert(sizeof(SYSTEMTIME) == 16);

struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};
static_assert(sizeof(FILETIME) == 8);

// 100-ns intervals per unit, for arithmetic on FILETIME values as 64-bit numbers.
inline constexpr std::uint64_t kFileTimePerMillisecond = 10'000;
inline constexpr std::uint64_t kFileTimePerSecond = 10'000'000;
inline constexpr std::uint64_t kFileTimePerDay = 864'000'000'000;

// FILETIME value of 1970-01-01 00:00:00, the Unix epoch.
inline constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

inline std::uint64_t FileTimeToU64(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
inline FILETIME U64ToFileTime(std::uint64_t v) {
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}
// A Unix time (seconds and nanoseconds since 1970, UTC) as a FILETIME; file times are UTC.
inline FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
    return U64ToFileTime(kUnixEpochAsFileTime + static_cast<std::uint64_t>(seconds) * 10'000'000 +
                         static_cast<std::uint64_t>(nanoseconds) / 100);
}

// Fails (FALSE, *out untouched) for dates Windows refuses: years outside 1601..30827, months,
// days, hours, minutes, seconds or milliseconds out of range. wDayOfWeek is ignored.
BOOL SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out);

// Fails for values of 0x8000000000000000 and above. Fills wDayOfWeek (0 = Sunday).
BOOL FileTimeToSystemTime(const FILETIME* in, SYSTEMTIME* out);

// *out = in moved by `units` of 100 ns (negative: back), through FILETIME, so that wDayOfWeek is
// filled. FALSE, *out untouched, when `in` is no valid date or the result lies outside FILETIME's
// range (before 1601 or from 0x8000000000000000 on). `out` may point at `in`.
BOOL AddToSystemTime(const SYSTEMTIME& in, std::int64_t units, SYSTEMTIME* out);

// Day of the week (0 = Sunday) of a proleptic Gregorian date.
int DayOfWeek(int year, int month, int day);

// Number of days in a month of a year (0 for an invalid month).
int DaysInMonth(int year, int month);

}  // namespace platform
