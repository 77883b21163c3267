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
#include "shared/text_lines.h"
#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {

// What the load writes into a reservation whose start passed with no result text.
inline constexpr wchar_t kMissedStartText[] =
    L"録画失敗（開始時間にPCが立ち上がっていなかった可能性があります）";

// Whether a line may hold a reservation: not a comment, at least one TAB.
bool IsReservationLine(std::string_view line);

// Calls visit(line) for every line of a file's text that may hold a reservation. Any line end
// ends a line (CR LF, LF, CR) and a UTF-8 byte-order mark before the first line is skipped:
// editors of other systems write them, and a reservation must not vanish into the line before.
template <class Visit>
void ForEachReservationLine(std::string_view text, Visit&& visit) {
    shared::ForEachEditedLine(text, [&visit](std::string_view line) {
        if (IsReservationLine(line)) visit(line);
    });
}

// The same lines as a list (views into the text).
std::vector<std::string_view> ReservationLines(std::string_view text);

// Fills `entry` from one line: 1, or 0 for an empty line, one that lacks a column or the "/"
// and ":" separators, or one whose numbers its fields cannot hold as written: a start that is
// no date and time (MakeStartTime), a negative length or one beyond 2^32 - 1 minutes, a service
// or event id beyond 16 bits, a priority or follow flag beyond 8 bits (a hand-written priority
// the list does not offer, such as 0, stays), a channel value beyond 32 bits. Such a line is kept by the saves as it stands (IsBrokenLine), never
// written back with its numbers cut or wrapped. A result text of 2 bytes or less reads as
// empty; an empty one becomes kMissedStartText when the start lies before `now`. Run-time
// fields become 0.
int ParseProgramLine(std::string_view line, const platform::SYSTEMTIME& now, ReserveEntry* entry);

// The line of a reservation with its CR LF. TABs and line ends in the title and the channel
// name, and line ends in the result text, are written as blanks so that the line reads back
// column for column.
std::string FormatProgramLine(const ReserveEntry& entry);

// Lines another program instance appended and that the running instance has not yet
// numbered: they parse as reservations with ID 0.
bool IsUnnumberedLine(std::string_view line);
std::vector<std::string_view> UnnumberedLines(std::string_view text);  // views into the text

// A line that looks like a reservation but does not parse: someone broke it by hand, and a save
// keeps it as it stands rather than lose it.
bool IsBrokenLine(std::string_view line);

}  // namespace timer_core
