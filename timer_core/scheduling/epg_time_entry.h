// The times of the timed EPG acquisition, section "Orvandel" of the timer's ini file: "Count"
// and the keys "0" .. Count-1, each "hour,minute,enabled".
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace timer_core {

struct EpgTimeEntry {
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t enabled = 0;  // 1 = acquire at this time
};

// "hour,minute,enabled", each part read with the runtime's decimal rule: 1, or 0 for a line
// without two commas (the entry is then skipped).
int ParseEpgTimeEntry(std::wstring_view line, EpgTimeEntry* entry);

// "%02d%02d" of hour and minute: the key that orders the times of a day.
std::wstring EpgTimeKey(int hour, int minute);

// Reads the times of the ini file into `times`, emptied first. An entry whose hour or minute is
// no time of day is left out: it could not be turned into a date. Returns whether any entry of
// the map is enabled.
bool ReadEpgTimes(const std::wstring& iniPath, std::map<std::wstring, EpgTimeEntry>* times);

}  // namespace timer_core
