#include "capture_plugin/program_time.h"

#include <array>
#include <cwchar>

namespace capture_plugin {

using platform::FILETIME;
using platform::SYSTEMTIME;

int IsTimeInWindow(const SYSTEMTIME& start, FILETIME* startOut, std::uint32_t durationSeconds,
                   const FILETIME& now, FILETIME* endOut) {
    FILETIME startTime;
    if (!platform::SystemTimeToFileTime(&start, &startTime)) return 0;
    const std::uint64_t begin = platform::FileTimeToU64(startTime);
    const std::uint64_t end = begin + durationSeconds * platform::kFileTimePerSecond;
    const std::uint64_t at = platform::FileTimeToU64(now);
    if (at < begin || at > end) return 0;
    if (startOut != nullptr) *startOut = startTime;
    if (endOut != nullptr) *endOut = platform::U64ToFileTime(end);
    return 1;
}

int AddSecondsToSystemTime(const SYSTEMTIME& in, SYSTEMTIME* out, std::uint32_t seconds) {
    const auto units = static_cast<std::int64_t>(seconds * platform::kFileTimePerSecond);
    return platform::AddToSystemTime(in, units, out) ? 1 : 0;
}

int FormatProgramTimeRange(std::wstring* out, const SYSTEMTIME& start, const SYSTEMTIME& end) {
    static constexpr std::array<const wchar_t*, 7> kWeekdayMarks = {
        L"(日)", L"(月)", L"(火)", L"(水)", L"(木)", L"(金)", L"(土)"};
    if (out == nullptr) return 0;
    SYSTEMTIME normalised = start;
    FILETIME time;
    if (platform::SystemTimeToFileTime(&start, &time)) {
        platform::FileTimeToSystemTime(&time, &normalised);
    } else {
        normalised.wDayOfWeek =
            static_cast<platform::WORD>(platform::DayOfWeek(start.wYear, start.wMonth, start.wDay));
    }
    wchar_t line[64];
    std::swprintf(line, std::size(line), L"%04d/%02d/%02d%ls %02d:%02d～%02d:%02d",
                  normalised.wYear, normalised.wMonth, normalised.wDay,
                  kWeekdayMarks[normalised.wDayOfWeek % 7], normalised.wHour, normalised.wMinute,
                  end.wHour, end.wMinute);
    *out = line;
    return 1;
}

}  // namespace capture_plugin
