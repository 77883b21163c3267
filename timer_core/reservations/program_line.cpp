#include "timer_core/reservations/program_line.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "platform/code_page.h"
#include "shared/channel_table_text.h"
#include "shared/text_lines.h"

namespace timer_core {
namespace {

constexpr std::size_t kNumberedColumns = 11;  // the columns up to the ID, each ended by a TAB

// "a<sep>b": the decimal numbers before and after the separator; false without it.
bool SplitPair(std::string_view field, char separator, int* first, int* second) {
    const std::size_t at = field.find(separator);
    if (at == field.npos) return false;
    *first = shared::LeadingDecimal(field.substr(0, at));
    *second = shared::LeadingDecimal(field.substr(at + 1));
    return true;
}

bool ParseDate(std::string_view field, platform::SYSTEMTIME* start) {
    const std::size_t slash = field.find('/');
    if (slash == field.npos) return false;
    int month = 0;
    int day = 0;
    if (!SplitPair(field.substr(slash + 1), '/', &month, &day)) return false;
    start->wYear = static_cast<platform::WORD>(shared::LeadingDecimal(field.substr(0, slash)));
    start->wMonth = static_cast<platform::WORD>(month);
    start->wDay = static_cast<platform::WORD>(day);
    return true;
}

bool ParseTimes(std::string_view time, std::string_view length, ReserveEntry* entry) {
    int hour = 0;
    int minute = 0;
    int lengthHours = 0;
    int lengthMinutes = 0;
    if (!SplitPair(time, ':', &hour, &minute) ||
        !SplitPair(length, ':', &lengthHours, &lengthMinutes)) {
        return false;
    }
    entry->start.wHour = static_cast<platform::WORD>(hour);
    entry->start.wMinute = static_cast<platform::WORD>(minute);
    entry->start.wSecond = 0;
    entry->start.wMilliseconds = 0;
    // Worked in 64 bits and kept modulo 2^32, so that every length the writer can write
    // (up to 71582788 hours) reads back as the same number of minutes.
    entry->durationMinutes =
        static_cast<std::uint32_t>(std::int64_t{lengthHours} * 60 + lengthMinutes);
    entry->durationSeconds = 0;
    return true;
}

std::string OneLineText(const std::wstring& text, std::wstring_view breaks) {
    return platform::WideToShiftJis(shared::OneLineName(text, breaks));
}

}  // namespace

std::vector<std::string_view> ReservationLines(std::string_view text) {
    std::vector<std::string_view> lines = shared::SplitLines(text);
    std::erase_if(lines, [](std::string_view line) {
        return line.find('\t') == line.npos || line.front() == ';';
    });
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
    if (!ParseDate(fields[0], &entry->start) || !ParseTimes(fields[1], fields[2], entry)) return 0;
    entry->title = platform::ShiftJisToWide(fields[3]);
    entry->channelName = platform::ShiftJisToWide(fields[4]);
    entry->channelValue = shared::LeadingDecimal(fields[5]);
    entry->serviceId = static_cast<std::uint16_t>(shared::LeadingDecimal(fields[6]));
    entry->eventId = static_cast<std::uint16_t>(shared::LeadingDecimal(fields[7]));
    entry->priority = static_cast<std::uint8_t>(shared::LeadingDecimal(fields[8]));
    entry->follow = static_cast<std::uint8_t>(shared::LeadingDecimal(fields[9]));
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

std::vector<std::string_view> UnnumberedLines(std::string_view text) {
    std::vector<std::string_view> lines = ReservationLines(text);
    const platform::SYSTEMTIME noClock{};
    std::erase_if(lines, [&](std::string_view line) {
        ReserveEntry entry;
        return !ParseProgramLine(line, noClock, &entry) || entry.id != 0;
    });
    return lines;
}

std::vector<std::string_view> BrokenLines(std::string_view text) {
    std::vector<std::string_view> lines = ReservationLines(text);
    const platform::SYSTEMTIME noClock{};
    std::erase_if(lines, [&](std::string_view line) {
        ReserveEntry entry;
        return ParseProgramLine(line, noClock, &entry) != 0;
    });
    return lines;
}

}  // namespace timer_core
