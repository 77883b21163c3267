#include "timer_core/reservations/reserve_entry.h"

#include <cwchar>

namespace timer_core {

std::wstring StartKey(const platform::SYSTEMTIME& start) {
    wchar_t key[32];
    std::swprintf(key, 32, L"%04d%02d%02d%02d%02d", start.wYear, start.wMonth, start.wDay,
                  start.wHour, start.wMinute);
    return key;
}

bool MakeStartTime(int year, int month, int day, int hour, int minute,
                   platform::SYSTEMTIME* start) {
    constexpr int kFirstYear = 1601;
    constexpr int kLastYear = 9999;
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 ||
        day > platform::DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59) {
        return false;
    }
    using platform::WORD;
    *start = platform::SYSTEMTIME{.wYear = static_cast<WORD>(year),
                                  .wMonth = static_cast<WORD>(month),
                                  .wDay = static_cast<WORD>(day),
                                  .wHour = static_cast<WORD>(hour),
                                  .wMinute = static_cast<WORD>(minute)};
    return true;
}

int IsTimePast(const platform::SYSTEMTIME& now, const platform::SYSTEMTIME& start) {
    platform::FILETIME nowTime;
    platform::FILETIME startTime;
    if (!platform::SystemTimeToFileTime(&now, &nowTime) ||
        !platform::SystemTimeToFileTime(&start, &startTime)) {
        return 0;
    }
    return platform::FileTimeToU64(startTime) < platform::FileTimeToU64(nowTime) ? 1 : 0;
}

}  // namespace timer_core
