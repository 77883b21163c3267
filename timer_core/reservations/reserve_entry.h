// One recording reservation: a programme the timer is to record, as Program.txt holds it plus
// the run-time state the scheduler and the record threads keep on it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_time.h"

namespace timer_core {

struct ReserveEntry {
    std::wstring title;
    // Local wall-clock start; year to minute are meaningful, second and milliseconds are 0 after
    // parsing. wDayOfWeek is not maintained.
    platform::SYSTEMTIME start;
    std::uint32_t durationMinutes = 0;
    // Extra seconds of the length, learnt at run time from the broadcaster's event information;
    // never written to Program.txt.
    std::uint32_t durationSeconds = 0;
    std::wstring channelName;  // service name as ChSet.txt writes it
    std::int32_t channelValue = 0;
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    std::uint8_t priority = 1;  // 1 to 5, larger wins
    std::uint8_t follow = 1;    // 1 = follow the broadcaster's programme information
    std::wstring resultText;
    // Run time only: the start was moved behind the preceding programme.
    std::int32_t postponed = 0;
    std::int32_t id = 0;        // 0 = not yet numbered
    std::int32_t assigned = 0;  // run time only: a record-thread slot holds it

    // Copies every field of `other`, the run-time flags and the ID included.
    void CopyFrom(const ReserveEntry& other) { *this = other; }

    // (service id << 16) | event id.
    std::uint32_t ProgramKey() const {
        return (static_cast<std::uint32_t>(serviceId) << 16) | eventId;
    }
};

// "%04d%02d%02d%02d%02d" of a start: text order is time order to the minute.
std::wstring StartKey(const platform::SYSTEMTIME& start);

// The start of a reservation from its calendar numbers into *start (seconds 0): false, *start
// untouched, for numbers that are no date and time of day (month 13, 25:61, February 30) or a
// year outside 1601..9999, before which no clock runs and beyond which the start key and the
// files' four-digit years would not hold it.
bool MakeStartTime(int year, int month, int day, int hour, int minute, platform::SYSTEMTIME* start);

// 1 when `start` lies strictly before `now` (both local wall time), else 0. A time that is no
// valid date (a hand-edited Program.txt may hold one) is never past.
int IsTimePast(const platform::SYSTEMTIME& now, const platform::SYSTEMTIME& start);

}  // namespace timer_core
