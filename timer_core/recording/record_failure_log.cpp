#include "timer_core/recording/record_failure_log.h"

#include <cwchar>

#include "platform/debug_output.h"

namespace timer_core {

std::wstring ReservationText(const ReserveEntry& entry) {
    wchar_t start[32];
    std::swprintf(start, 32, L"%04d/%02d/%02d %02d:%02d", entry.start.wYear, entry.start.wMonth,
                  entry.start.wDay, entry.start.wHour, entry.start.wMinute);
    return L"ID " + std::to_wstring(entry.id) + L" " + entry.title + L" " + start;
}

void ReportFailure(std::wstring_view what, const ReserveEntry& entry) {
    platform::OutputDebugStringW(L"record thread: " + std::wstring(what) + L", " +
                                 ReservationText(entry));
}

}  // namespace timer_core
