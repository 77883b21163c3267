#include "timer_core/epg/iepg_reader.h"

#include <algorithm>
#include <optional>

#include "platform/code_page.h"
#include "platform/file_handle.h"
#include "shared/text_lines.h"
#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {
namespace {

struct HourMinute {
    int hour = 0;
    int minute = 0;
};

// The rest of the first line that starts with the key.
std::optional<std::wstring_view> ValueOf(const std::vector<std::wstring>& lines,
                                         std::wstring_view key) {
    for (const std::wstring& line : lines) {
        if (line.starts_with(key)) return std::wstring_view(line).substr(key.size());
    }
    return std::nullopt;
}

std::optional<int> DecimalOf(const std::vector<std::wstring>& lines, std::wstring_view key) {
    const std::optional<std::wstring_view> value = ValueOf(lines, key);
    if (!value) return std::nullopt;
    return shared::LeadingDecimal(*value);
}

// "hh:mm", split at the first colon; nullopt without one.
std::optional<HourMinute> TimeOf(const std::vector<std::wstring>& lines, std::wstring_view key) {
    const std::optional<std::wstring_view> value = ValueOf(lines, key);
    if (!value) return std::nullopt;
    const std::size_t colon = value->find(L':');
    if (colon == std::wstring_view::npos) return std::nullopt;
    return HourMinute{shared::LeadingDecimal(value->substr(0, colon)),
                      shared::LeadingDecimal(value->substr(colon + 1))};
}

std::wstring_view LastCharacters(std::wstring_view text, std::size_t count) {
    return text.substr(text.size() - std::min(count, text.size()));
}

// "DFS00400" is terrestrial, "BSDT101" BS, everything else CS.
std::int32_t NetworkClassOf(std::wstring_view station) {
    if (station.starts_with(L"DFS")) return 1;
    if (station.starts_with(L"BSDT")) return 2;
    return 3;
}

// The last four characters as hexadecimal ("DFS00400" -> 0x400); when that gives nothing, as in
// "BSDT101" whose "T101" starts with a letter, the last three as decimal.
std::uint16_t ServiceIdOf(std::wstring_view station) {
    const auto hex = static_cast<std::uint16_t>(shared::LeadingHex(LastCharacters(station, 4)));
    if (hex != 0) return hex;
    return static_cast<std::uint16_t>(shared::LeadingDecimal(LastCharacters(station, 3)));
}

bool IsTimeOfDay(const HourMinute& time) {
    return time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59;
}

// Only the hour decides whether the end lies on the next day (both are times of day).
std::int32_t DurationMinutes(const HourMinute& start, const HourMinute& end) {
    const int endHour = end.hour < start.hour ? end.hour + 24 : end.hour;
    return (endHour - start.hour) * 60 + (end.minute - start.minute);
}

std::vector<std::wstring> SplitAtCrLf(std::wstring_view text) {
    std::vector<std::wstring> lines;
    for (;;) {
        const std::size_t end = text.find(L"\r\n");
        if (end == std::wstring_view::npos) {
            lines.emplace_back(text);
            return lines;
        }
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
}

// Up to size bytes from the file's start; fewer when it shrank meanwhile.
bool ReadBytes(platform::FileHandle& file, std::uint64_t size, std::string* out) {
    out->assign(size, '\0');
    std::size_t got = 0;
    while (got < out->size()) {
        platform::DWORD n = 0;
        if (!file.Read(out->data() + got, static_cast<platform::DWORD>(out->size() - got), &n)) {
            return false;
        }
        if (n == 0) break;
        got += n;
    }
    out->resize(got);
    return true;
}

}  // namespace

int ReadIepgFile(IepgRecord* record, std::wstring_view path) {
    if (path.empty()) return 0;
    platform::FileHandle file = platform::CreateFileW(
        path, platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
        platform::OPEN_EXISTING);
    if (!file.IsValid() || !file.IsRegularFile()) return 0;
    const std::optional<std::uint64_t> size = file.Size();
    if (!size || *size > kMaxIepgFileBytes) return 0;
    if (*size == 0) return 1;
    std::string bytes;
    if (!ReadBytes(file, *size, &bytes)) return 0;
    file.Close();
    // The text is a zero-terminated string: whatever follows a zero byte is not part of it, so
    // no field carries a zero character on into the reservation files.
    bytes.resize(std::min(bytes.find('\0'), bytes.size()));
    return ParseIepgVer2(record, SplitAtCrLf(platform::ShiftJisToWide(bytes)));
}

int ParseIepgVer2(IepgRecord* record, const std::vector<std::wstring>& lines) {
    const std::optional<int> version = DecimalOf(lines, L"version: ");
    if (!version || *version != 2) return 0;

    const std::optional<std::wstring_view> station = ValueOf(lines, L"station: ");
    if (!station) return 0;
    record->networkClass = NetworkClassOf(*station);
    record->serviceId = ServiceIdOf(*station);

    const std::optional<std::wstring_view> stationName = ValueOf(lines, L"station-name: ");
    if (!stationName) return 0;
    record->stationName = *stationName;

    const std::optional<int> year = DecimalOf(lines, L"year: ");
    const std::optional<int> month = DecimalOf(lines, L"month: ");
    const std::optional<int> day = DecimalOf(lines, L"date: ");
    if (!year || !month || !day) return 0;

    // Numbers that are no date and time are refused, not wrapped into one.
    const std::optional<HourMinute> start = TimeOf(lines, L"start: ");
    if (!start ||
        !MakeStartTime(*year, *month, *day, start->hour, start->minute, &record->start)) {
        return 0;
    }

    const std::optional<HourMinute> end = TimeOf(lines, L"end: ");
    if (!end || !IsTimeOfDay(*end)) return 0;
    record->durationMinutes = DurationMinutes(*start, *end);

    const std::optional<std::wstring_view> title = ValueOf(lines, L"program-title: ");
    if (!title) return 0;
    record->title = *title;

    const std::optional<std::wstring_view> eventText = ValueOf(lines, L"program-id: ");
    std::int64_t eventId = 0;
    if (!eventText || !shared::LeadingDecimalIn(*eventText, 0, 0xFFFF, &eventId)) return 0;
    record->eventId = static_cast<std::uint16_t>(eventId);
    return 1;
}

}  // namespace timer_core
