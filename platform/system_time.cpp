#include "platform/system_time.h"

namespace platform {
namespace {

constexpr int kMinYear = 1601;
constexpr int kMaxYear = 30827;

// Days from 0000-03-01 (the start of the proleptic Gregorian era the algorithms count in) to
// 1601-01-01, the FILETIME epoch.
constexpr std::int64_t kDaysFrom0000To1601 = 719468 - 134774;

bool IsLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Days from 1601-01-01 to the given date (the usual era/day-of-era decomposition, shifted to the
// FILETIME epoch).
std::int64_t DaysFromEpoch(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - kDaysFrom0000To1601;
}

void DateFromEpochDays(std::int64_t days, int* year, int* month, int* day) {
    const std::int64_t z = days + kDaysFrom0000To1601;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (*month <= 2));
}

}  // namespace

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

int DayOfWeek(int year, int month, int day) {
    // 1601-01-01 was a Monday.
    const std::int64_t days =
        DaysFromEpoch(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<int>(((days % 7) + 7 + 1) % 7);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* in, FILETIME* out) {
    if (in == nullptr || out == nullptr) return FALSE;
    if (in->wYear < kMinYear || in->wYear > kMaxYear) return FALSE;
    if (in->wMonth < 1 || in->wMonth > 12) return FALSE;
    if (in->wDay < 1 || in->wDay > DaysInMonth(in->wYear, in->wMonth)) return FALSE;
    if (in->wHour > 23 || in->wMinute > 59 || in->wSecond > 59 || in->wMilliseconds > 999) {
        return FALSE;
    }
    const std::int64_t days = DaysFromEpoch(in->wYear, in->wMonth, in->wDay);
    const std::uint64_t seconds = static_cast<std::uint64_t>(days) * 86400 + in->wHour * 3600ULL +
                                  in->wMinute * 60ULL + in->wSecond;
    *out =
        U64ToFileTime(seconds * kFileTimePerSecond + in->wMilliseconds * kFileTimePerMillisecond);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* in, SYSTEMTIME* out) {
    if (in == nullptr || out == nullptr) return FALSE;
    const std::uint64_t v = FileTimeToU64(*in);
    if (v >= 0x8000000000000000ULL) return FALSE;
    const std::uint64_t totalMs = v / kFileTimePerMillisecond;
    const std::int64_t days = static_cast<std::int64_t>(totalMs / 86'400'000ULL);
    const std::uint64_t msOfDay = totalMs % 86'400'000ULL;
    int year = 0, month = 0, day = 0;
    DateFromEpochDays(days, &year, &month, &day);
    out->wYear = static_cast<WORD>(year);
    out->wMonth = static_cast<WORD>(month);
    out->wDay = static_cast<WORD>(day);
    out->wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    out->wHour = static_cast<WORD>(msOfDay / 3'600'000);
    out->wMinute = static_cast<WORD>(msOfDay / 60'000 % 60);
    out->wSecond = static_cast<WORD>(msOfDay / 1000 % 60);
    out->wMilliseconds = static_cast<WORD>(msOfDay % 1000);
    return TRUE;
}

BOOL AddToSystemTime(const SYSTEMTIME& in, std::int64_t units, SYSTEMTIME* out) {
    FILETIME start;
    if (out == nullptr || !SystemTimeToFileTime(&in, &start)) return FALSE;
    // Unsigned, so that a sum past either end wraps into the range FileTimeToSystemTime refuses
    // (a valid start is below 2^63) instead of overflowing.
    const FILETIME moved = U64ToFileTime(FileTimeToU64(start) + static_cast<std::uint64_t>(units));
    SYSTEMTIME result;
    if (!FileTimeToSystemTime(&moved, &result)) return FALSE;
    *out = result;
    return TRUE;
}

}  // namespace platform
