// iEPG files (programme descriptions of the "application/x-tv-program-info" type) that the user
// hands the timer on its command line or by drag and drop; each becomes a reservation. Only the
// digital form (version 2) is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_time.h"

namespace timer_core {

struct IepgRecord {
    std::wstring title;
    // Year to minute from the file; seconds and milliseconds 0, wDayOfWeek not set.
    platform::SYSTEMTIME start;
    // End minus start; an end hour before the start hour counts as the next day. Negative when
    // only the minutes run backwards (10:50 to 10:10 gives -40).
    std::int32_t durationMinutes = 0;
    std::wstring stationName;
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    std::int32_t networkClass = 0;  // 1 terrestrial, 2 BS, 3 CS; 0 until a station line is read
};

// Files above this size are not iEPG files (a real one holds a few hundred bytes).
inline constexpr std::uint64_t kMaxIepgFileBytes = 1 << 20;

// Reads the file (code page 932, lines ending in CR LF) into *record. 1 when it was read, 0
// when it could not be opened, is not a regular file, is larger than kMaxIepgFileBytes or is
// not a complete version 2 description. An empty file gives 1 and leaves *record as it was.
// Numbers that no programme has are refused, never wrapped into others: a start that is no
// date and time of day (MakeStartTime), an end that is no time of day, a programme id beyond
// 16 bits.
int ReadIepgFile(IepgRecord* record, std::wstring_view path);

// Fills *record from the lines, key by key; 1 when every key was found and the version is 2.
// On 0 the fields read before the failing key are already set. A key counts only at the very
// start of a line ("version: ", "station: ", "station-name: ", "year: ", "month: ", "date: ",
// "start: ", "end: ", "program-title: ", "program-id: "), the first such line wins and the keys
// may come in any order.
int ParseIepgVer2(IepgRecord* record, const std::vector<std::wstring>& lines);

}  // namespace timer_core
