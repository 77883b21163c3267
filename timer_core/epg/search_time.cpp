#include "timer_core/epg/search_time.h"

#include <cstdint>

namespace timer_core {
namespace {

constexpr std::int64_t kFileTimePerMinute = 60 * platform::kFileTimePerSecond;

std::int64_t TimeOfDay(int hour, int minute) {
    return static_cast<std::int64_t>(hour) * 100 + minute;
}

}  // namespace

int AddMinutesToSystemTime(int minutes, const platform::SYSTEMTIME& start,
                           platform::SYSTEMTIME* out) {
    return platform::AddToSystemTime(start, std::int64_t{minutes} * kFileTimePerMinute, out) ? 1
                                                                                             : 0;
}

int WeekdayOfStart(const platform::SYSTEMTIME& start) {
    platform::FILETIME ft;
    if (!platform::SystemTimeToFileTime(&start, &ft)) return -1;
    // Day 0 of FILETIME, 1601-01-01, was a Monday.
    return static_cast<int>((platform::FileTimeToU64(ft) / platform::kFileTimePerDay + 1) % 7);
}

DayAndTimeWindow::DayAndTimeWindow(const AutoSearchCondition& condition)
    : never_(condition.startMinute == -1 || condition.endHour == -1 || condition.endMinute == -1),
      start_(TimeOfDay(condition.startHour, condition.startMinute)),
      end_(TimeOfDay(condition.endHour, condition.endMinute)) {
    for (int day = 0; day < kWeekdayCount; ++day) {
        if (condition.weekdays[day] != 1) continue;
        // Bit 0 is Sunday, the last flag; Monday to Saturday are the first six.
        dayMask_ |= 1u << (day == kSunday ? 0 : day + 1);
    }
}

int MatchDayAndTime(const AutoSearchCondition& condition, const platform::SYSTEMTIME& start) {
    return DayAndTimeWindow(condition).Passes(WeekdayOfStart(start), start.wHour, start.wMinute)
               ? 1
               : 0;
}

}  // namespace timer_core
