#include "timer_core/epg/iepg_reader.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "platform/code_page.h"
#include "platform/file_handle.h"
#include "shared/text_lines.h"

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

// Only the hour decides whether the end lies on the next day. Worked in 64 bits so that absurd
// hours cannot overflow; the result is held to the 32-bit range.
std::int32_t DurationMinutes(const HourMinute& start, const HourMinute& end) {
    const std::int64_t endHour = end.hour < start.hour ? std::int64_t{end.hour} + 24 : end.hour;
    const std::int64_t minutes =
        (endHour - start.hour) * 60 + (std::int64_t{end.minute} - start.minute);
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(minutes, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
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
    if (!year) return 0;
    record->start.wYear = static_cast<platform::WORD>(*year);
    const std::optional<int> month = DecimalOf(lines, L"month: ");
    if (!month) return 0;
    record->start.wMonth = static_cast<platform::WORD>(*month);
    const std::optional<int> day = DecimalOf(lines, L"date: ");
    if (!day) return 0;
    record->start.wDay = static_cast<platform::WORD>(*day);

    const std::optional<HourMinute> start = TimeOf(lines, L"start: ");
    if (!start) return 0;
    record->start.wHour = static_cast<platform::WORD>(start->hour);
    record->start.wMinute = static_cast<platform::WORD>(start->minute);
    record->start.wSecond = 0;
    record->start.wMilliseconds = 0;

    const std::optional<HourMinute> end = TimeOf(lines, L"end: ");
    if (!end) return 0;
    record->durationMinutes = DurationMinutes(*start, *end);

    const std::optional<std::wstring_view> title = ValueOf(lines, L"program-title: ");
    if (!title) return 0;
    record->title = *title;

    const std::optional<int> eventId = DecimalOf(lines, L"program-id: ");
    if (!eventId) return 0;
    record->eventId = static_cast<std::uint16_t>(*eventId);
    return 1;
}

}  // namespace timer_core
