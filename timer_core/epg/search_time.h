// Time tests of the keyword search: the weekday and start-time window of a condition, and the
// end of a programme from its start and length.
#pragma once

#include <cstdint>

#include "platform/system_time.h"
#include "timer_core/epg/auto_search_condition.h"

namespace timer_core {

// 1 with *out = start + minutes (through FILETIME, so the weekday is filled); 0 when the start
// is no valid time, *out then untouched.
int AddMinutesToSystemTime(int minutes, const platform::SYSTEMTIME& start,
                           platform::SYSTEMTIME* out);

// The weekday of the date (0 = Sunday) derived through FILETIME; -1 when it is no valid time.
int WeekdayOfStart(const platform::SYSTEMTIME& start);

// 1 when the start's weekday is allowed and its hour:minute lies in the condition's window:
// both ends included, a window whose start is after its end runs across midnight, a window
// whose ends are equal passes every time. 0 when the start minute, end hour or end minute is
// -1, and when not every weekday is allowed and the start is no valid date. Only the start is
// tested, however long the programme runs.
int MatchDayAndTime(const AutoSearchCondition& condition, const platform::SYSTEMTIME& start);

// The weekday and window test of MatchDayAndTime, prepared once from the condition for the
// many starts of a search.
class DayAndTimeWindow {
  public:
    explicit DayAndTimeWindow(const AutoSearchCondition& condition);

    // weekday: 0 = Sunday, -1 when the start is no valid date.
    bool Passes(int weekday, int hour, int minute) const {
        if (never_) return false;
        constexpr unsigned kEveryDay = 0x7F;
        if (dayMask_ != kEveryDay &&
            (weekday < 0 || weekday > 6 || (dayMask_ >> weekday & 1u) == 0)) {
            return false;
        }
        const std::int64_t t = static_cast<std::int64_t>(hour) * 100 + minute;
        if (start_ == end_) return true;
        if (start_ < end_) return start_ <= t && t <= end_;
        return t >= start_ || t <= end_;
    }

  private:
    bool never_;            // a -1 in the window
    unsigned dayMask_ = 0;  // bit n: weekday n (0 = Sunday) allowed
    std::int64_t start_;
    std::int64_t end_;
};

}  // namespace timer_core
