#include "timer_core/epg/search_time.h"

#include <algorithm>
#include <cstdint>

namespace timer_core {
namespace {

constexpr std::uint64_t kFileTimePerMinute = 60 * platform::kFileTimePerSecond;

bool AllWeekdays(const AutoSearchCondition& condition) {
    return std::all_of(condition.weekdays.begin(), condition.weekdays.end(),
                       [](int flag) { return flag == 1; });
}

// Sunday is the last flag, Monday to Saturday the first six.
bool WeekdayAllowed(const AutoSearchCondition& condition, int weekday) {
    if (weekday < 0 || weekday > 6) return false;
    const int index = weekday == 0 ? kSunday : weekday - 1;
    return condition.weekdays[index] == 1;
}

// hour * 100 + minute; wide enough for whatever numbers a hand-edited file holds.
std::int64_t TimeOfDay(int hour, int minute) {
    return static_cast<std::int64_t>(hour) * 100 + minute;
}

bool InWindow(const AutoSearchCondition& condition, int hour, int minute) {
    const std::int64_t s = TimeOfDay(condition.startHour, condition.startMinute);
    const std::int64_t e = TimeOfDay(condition.endHour, condition.endMinute);
    const std::int64_t t = TimeOfDay(hour, minute);
    if (s == e) return true;
    if (s < e) return s <= t && t <= e;
    return t >= s || t <= e;
}

}  // namespace

platform::SYSTEMTIME EventStartTime(const broadcast::EpgEventRecord& event) {
    platform::SYSTEMTIME start;
    start.wYear = event.startYear;
    start.wMonth = event.startMonth;
    start.wDay = event.startDay;
    start.wHour = event.startHour;
    start.wMinute = event.startMinute;
    start.wSecond = event.startSecond;
    return start;
}

int AddMinutesToSystemTime(int minutes, const platform::SYSTEMTIME& start,
                           platform::SYSTEMTIME* out) {
    platform::FILETIME ft;
    if (!platform::SystemTimeToFileTime(&start, &ft)) return 0;
    const std::uint64_t value =
        platform::FileTimeToU64(ft) +
        static_cast<std::uint64_t>(static_cast<std::int64_t>(minutes)) * kFileTimePerMinute;
    const platform::FILETIME later = platform::U64ToFileTime(value);
    return platform::FileTimeToSystemTime(&later, out) ? 1 : 0;
}

int WeekdayOfStart(const platform::SYSTEMTIME& start) {
    platform::FILETIME ft;
    platform::SYSTEMTIME normalised;
    if (!platform::SystemTimeToFileTime(&start, &ft) ||
        !platform::FileTimeToSystemTime(&ft, &normalised)) {
        return -1;
    }
    return normalised.wDayOfWeek;
}

int MatchDayAndTime(const AutoSearchCondition& condition, const platform::SYSTEMTIME& start) {
    return MatchWeekdayAndTime(condition, WeekdayOfStart(start), start.wHour, start.wMinute);
}

int MatchWeekdayAndTime(const AutoSearchCondition& condition, int weekday, int hour, int minute) {
    if (condition.startMinute == -1 || condition.endHour == -1 || condition.endMinute == -1) {
        return 0;
    }
    if (!AllWeekdays(condition) && !WeekdayAllowed(condition, weekday)) return 0;
    return InWindow(condition, hour, minute) ? 1 : 0;
}

}  // namespace timer_core
