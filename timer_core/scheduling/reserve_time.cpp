#include "timer_core/scheduling/reserve_time.h"

#include <cwchar>

#include "platform/clock.h"

namespace timer_core {

std::uint64_t LocalFileTime(const platform::SYSTEMTIME& time) {
    platform::FILETIME converted;
    if (!platform::SystemTimeToFileTime(&time, &converted)) return 0;
    return platform::FileTimeToU64(converted);
}

platform::SYSTEMTIME LocalSystemTime(std::uint64_t fileTime) {
    const platform::FILETIME converted = platform::U64ToFileTime(fileTime);
    platform::SYSTEMTIME time;
    platform::FileTimeToSystemTime(&converted, &time);
    return time;
}

std::uint64_t LocalNowFileTime() {
    return platform::Clock::Instance().NowLocal();
}

std::uint64_t ReserveEndFileTime(const ReserveEntry& entry) {
    const std::uint64_t start = LocalFileTime(entry.start);
    return start == 0 ? 0 : start + entry.durationMinutes * kFileTimePerMinute;
}

int ComputeEndTimeMinutes(std::uint32_t minutes, const platform::SYSTEMTIME& start,
                          platform::FILETIME* startOut, platform::FILETIME* endOut,
                          platform::SYSTEMTIME* endTimeOut) {
    const std::uint64_t begin = LocalFileTime(start);
    const std::uint64_t end = begin + minutes * kFileTimePerMinute;
    if (startOut != nullptr) *startOut = platform::U64ToFileTime(begin);
    if (endOut != nullptr) *endOut = platform::U64ToFileTime(end);
    if (endTimeOut != nullptr) *endTimeOut = LocalSystemTime(end);
    return 1;
}

int ComputeEndTimeSeconds(std::uint32_t seconds, const platform::SYSTEMTIME& start,
                          platform::FILETIME* startOut, platform::FILETIME* endOut) {
    const std::uint64_t begin = LocalFileTime(start);
    if (startOut != nullptr) *startOut = platform::U64ToFileTime(begin);
    if (endOut != nullptr) {
        *endOut = platform::U64ToFileTime(begin + seconds * platform::kFileTimePerSecond);
    }
    return 1;
}

std::wstring FormatStartDateTime(const platform::SYSTEMTIME& start) {
    static constexpr const wchar_t* kWeekdays[] = {L"(日)", L"(月)", L"(火)", L"(水)",
                                                   L"(木)", L"(金)", L"(土)"};
    // The stored start does not keep its weekday; a round trip through FILETIME fills it in.
    const std::uint64_t converted = LocalFileTime(start);
    const int weekday = converted != 0 ? LocalSystemTime(converted).wDayOfWeek
                                       : platform::DayOfWeek(start.wYear, start.wMonth, start.wDay);
    wchar_t text[64];
    std::swprintf(text, 64, L"%04d/%02d/%02d%ls %02d:%02d", start.wYear, start.wMonth, start.wDay,
                  kWeekdays[(weekday % 7 + 7) % 7], start.wHour, start.wMinute);
    return text;
}

int FormatReserveTimeRange(std::wstring* out, const platform::SYSTEMTIME& start,
                           const platform::SYSTEMTIME& end) {
    wchar_t endText[16];
    std::swprintf(endText, 16, L"～%02d:%02d", end.wHour, end.wMinute);
    *out = FormatStartDateTime(start) + endText;
    return 1;
}

}  // namespace timer_core
