// One automatic-reservation condition: a saved EPG query (keywords that must and must not occur,
// a genre, a window of start times, weekdays, services) and the priority and follow setting that
// a reservation made from one of its matches receives. Copies are independent.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace timer_core {

// Index of each day in AutoSearchCondition::weekdays.
enum WeekdayIndex { kMonday, kTuesday, kWednesday, kThursday, kFriday, kSaturday, kSunday };
inline constexpr int kWeekdayCount = 7;

struct AutoSearchCondition {
    // Keywords separated by half-width or ideographic spaces: all must occur.
    std::wstring andWords;
    // Keywords in the same form: none may occur.
    std::wstring notWords;
    int titleOnly = 0;  // 1: the programme name only; else name, text and extended text
    int genre = 0;      // content_nibble_level_1 to require (0-11), -1: any genre
    // The window of start times; an hour of -1 makes the condition find nothing.
    int startHour = 0;
    int startMinute = 0;
    int endHour = 0;
    int endMinute = 0;
    // Monday to Sunday (WeekdayIndex); 1 = allowed.
    std::array<int, kWeekdayCount> weekdays{};
    // Services to search: (transport_stream_id << 16) | service_id as a signed 32-bit value.
    std::vector<int> serviceKeys;
    int priority = 0;  // of reservations made from a match, 1-5
    int follow = 0;    // follow-mode flag of such reservations
};

}  // namespace timer_core
