// The lines of Program.txt: one reservation per line, twelve TAB-separated columns in Shift-JIS,
// CR LF at the end.
//   date "%04d/%02d/%02d", start "%02d:%02d", length "%02d:%02d" (more digits beyond 99 hours),
//   title, channel name, channel value, service id, event id, priority, follow flag, ID, TAB,
//   result text (only when there is one; it runs to the end of the line, TABs included).
// Lines starting with ";" are comments; lines without a TAB are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/system_time.h"
#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {

// What the load writes into a reservation whose start passed with no result text.
inline constexpr wchar_t kMissedStartText[] =
    L"録画失敗（開始時間にPCが立ち上がっていなかった可能性があります）";

// The lines of a file's text (views into it) that may hold a reservation: not a comment, at
// least one TAB.
std::vector<std::string_view> ReservationLines(std::string_view text);

// Fills `entry` from one line: 1, or 0 for an empty line or one that lacks a column or the "/"
// and ":" separators. A result text of 2 bytes or less reads as empty; an empty one becomes
// kMissedStartText when the start lies before `now`. Run-time fields become 0.
int ParseProgramLine(std::string_view line, const platform::SYSTEMTIME& now, ReserveEntry* entry);

// The line of a reservation with its CR LF. TABs and line ends in the title and the channel
// name, and line ends in the result text, are written as blanks so that the line reads back
// column for column.
std::string FormatProgramLine(const ReserveEntry& entry);

// The lines of the text (views into it) that parse as reservations with ID 0: lines another
// program instance appended and that the running instance has not yet numbered.
std::vector<std::string_view> UnnumberedLines(std::string_view text);

// The lines of the text (views into it) that look like reservations but do not parse: a line
// someone broke by hand, which a save keeps as it stands rather than lose it.
std::vector<std::string_view> BrokenLines(std::string_view text);

}  // namespace timer_core
