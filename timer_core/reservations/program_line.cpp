#include "timer_core/reservations/program_line.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "platform/code_page.h"
#include "shared/channel_table_text.h"
#include "shared/text_lines.h"

namespace timer_core {
namespace {

constexpr std::size_t kNumberedColumns = 11;  // the columns up to the ID, each ended by a TAB

// "a<sep>b": the texts before and after the first separator; false without it.
bool SplitAt(std::string_view field, char separator, std::string_view* first,
             std::string_view* second) {
    const std::size_t at = field.find(separator);
    if (at == field.npos) return false;
    *first = field.substr(0, at);
    *second = field.substr(at + 1);
    return true;
}

// "y/m/d" and "h:m": false without the separators or for numbers that are no start.
bool ParseStart(std::string_view date, std::string_view time, platform::SYSTEMTIME* start) {
    std::string_view year, monthDay, month, day, hour, minute;
    if (!SplitAt(date, '/', &year, &monthDay) || !SplitAt(monthDay, '/', &month, &day) ||
        !SplitAt(time, ':', &hour, &minute)) {
        return false;
    }
    using shared::LeadingDecimal;
    return MakeStartTime(LeadingDecimal(year), LeadingDecimal(month), LeadingDecimal(day),
                         LeadingDecimal(hour), LeadingDecimal(minute), start);
}

// "h:m" as hours * 60 + minutes: false without the ":" or for a negative part or a sum beyond
// what the length holds, which would come back wrapped into another length.
bool ParseLength(std::string_view length, std::uint32_t* minutes) {
    constexpr std::int64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::string_view hoursText, minutesText;
    std::int64_t hours = 0;
    std::int64_t rest = 0;
    if (!SplitAt(length, ':', &hoursText, &minutesText) ||
        !shared::LeadingDecimalIn(hoursText, 0, kMax, &hours) ||
        !shared::LeadingDecimalIn(minutesText, 0, kMax, &rest) || hours * 60 + rest > kMax) {
        return false;
    }
    *minutes = static_cast<std::uint32_t>(hours * 60 + rest);
    return true;
}

// The number columns from the channel value to the follow flag, each within what its field
// holds.
bool ParseNumbers(const std::array<std::string_view, kNumberedColumns>& fields,
                  ReserveEntry* entry) {
    std::int64_t channel = 0, service = 0, event = 0, priority = 0, follow = 0;
    if (!shared::LeadingDecimalIn(fields[5], std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max(), &channel) ||
        !shared::LeadingDecimalIn(fields[6], 0, 0xFFFF, &service) ||
        !shared::LeadingDecimalIn(fields[7], 0, 0xFFFF, &event) ||
        !shared::LeadingDecimalIn(fields[8], 0, 0xFF, &priority) ||
        !shared::LeadingDecimalIn(fields[9], 0, 0xFF, &follow)) {
        return false;
    }
    entry->channelValue = static_cast<std::int32_t>(channel);
    entry->serviceId = static_cast<std::uint16_t>(service);
    entry->eventId = static_cast<std::uint16_t>(event);
    entry->priority = static_cast<std::uint8_t>(priority);
    entry->follow = static_cast<std::uint8_t>(follow);
    return true;
}

std::string OneLineText(const std::wstring& text, std::wstring_view breaks) {
    return platform::WideToShiftJis(shared::OneLineName(text, breaks));
}

}  // namespace

bool IsReservationLine(std::string_view line) {
    return line.find('\t') != line.npos && line.front() != ';';
}

std::vector<std::string_view> ReservationLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachReservationLine(text, [&lines](std::string_view line) { lines.push_back(line); });
    return lines;
}

int ParseProgramLine(std::string_view line, const platform::SYSTEMTIME& now, ReserveEntry* entry) {
    if (line.empty() || entry == nullptr) return 0;
    std::array<std::string_view, kNumberedColumns> fields;
    std::size_t begin = 0;
    for (std::string_view& field : fields) {
        const std::size_t tab = line.find('\t', begin);
        if (tab == line.npos) return 0;
        field = line.substr(begin, tab - begin);
        begin = tab + 1;
    }
    if (!ParseStart(fields[0], fields[1], &entry->start) ||
        !ParseLength(fields[2], &entry->durationMinutes) || !ParseNumbers(fields, entry)) {
        return 0;
    }
    entry->durationSeconds = 0;
    entry->title = platform::ShiftJisToWide(fields[3]);
    entry->channelName = platform::ShiftJisToWide(fields[4]);
    entry->id = shared::LeadingDecimal(fields[10]);
    const std::string_view result = line.substr(begin);
    entry->resultText = result.size() > 2 ? platform::ShiftJisToWide(result) : std::wstring();
    if (entry->resultText.empty() && IsTimePast(now, entry->start)) {
        entry->resultText = kMissedStartText;
    }
    entry->postponed = 0;
    entry->assigned = 0;
    return 1;
}

std::string FormatProgramLine(const ReserveEntry& entry) {
    const platform::SYSTEMTIME& s = entry.start;
    char head[96];
    std::snprintf(head, sizeof head, "%04d/%02d/%02d\t%02d:%02d\t%02u:%02u\t", s.wYear, s.wMonth,
                  s.wDay, s.wHour, s.wMinute, entry.durationMinutes / 60,
                  entry.durationMinutes % 60);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%d\t%d\t%d\t%d\t%d\t%d\t", entry.channelValue,
                  entry.serviceId, entry.eventId, entry.priority, entry.follow, entry.id);
    std::string line = head;
    line += OneLineText(entry.title, L"\t\r\n");
    line += '\t';
    line += OneLineText(entry.channelName, L"\t\r\n");
    line += '\t';
    line += numbers;
    if (!entry.resultText.empty()) line += OneLineText(entry.resultText, L"\r\n");
    line += "\r\n";
    return line;
}

bool IsUnnumberedLine(std::string_view line) {
    ReserveEntry entry;
    return ParseProgramLine(line, platform::SYSTEMTIME{}, &entry) && entry.id == 0;
}

bool IsBrokenLine(std::string_view line) {
    ReserveEntry entry;
    return !ParseProgramLine(line, platform::SYSTEMTIME{}, &entry);
}

std::vector<std::string_view> UnnumberedLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachReservationLine(text, [&lines](std::string_view line) {
        if (IsUnnumberedLine(line)) lines.push_back(line);
    });
    return lines;
}

}  // namespace timer_core
