// Dates and times as the SI tables carry them: a 16-bit Modified Julian Date and BCD bytes.
#pragma once

#include <cstdint>

#include "platform/system_time.h"

namespace broadcast {

// Adds days x 86,400 seconds to a calendar date-time in place, through 100-ns file time.
// Returns 1; returns 0 and leaves the time as it was when the time is not a valid date or the
// result falls outside the range a file time can express.
int AddDaysToSystemTime(platform::SYSTEMTIME* time, int days);

// Year, month and day of a Modified Julian Date (days counted from 1858-11-17).
struct SiDate {
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
};
SiDate MjdToDate(std::uint16_t mjd);

// A BCD byte as a number: the high nibble counts as tens only when the byte is below 0xA0, the
// low nibble as units only when it is 9 or less (0x2A gives 20, 0xA5 gives 5).
std::uint8_t BcdToNumber(std::uint8_t bcd);

// Hour, minute and second from three BCD bytes.
struct SiTime {
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};
SiTime BcdToTime(std::uint32_t bcd24);

// As BcdToTime, but the undefined value 0xFFFFFF gives 255, 255, 255 (event start, duration).
SiTime BcdToTimeOrUndefined(std::uint32_t bcd24);

}  // namespace broadcast
