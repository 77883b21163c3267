#include "timer_core/reservations/reserve_entry.h"

#include <cwchar>

namespace timer_core {

std::wstring StartKey(const platform::SYSTEMTIME& start) {
    wchar_t key[32];
    std::swprintf(key, 32, L"%04d%02d%02d%02d%02d", start.wYear, start.wMonth, start.wDay,
                  start.wHour, start.wMinute);
    return key;
}

int IsTimePast(const platform::SYSTEMTIME& now, const platform::SYSTEMTIME& start) {
    platform::FILETIME nowTime;
    platform::FILETIME startTime;
    if (!platform::SystemTimeToFileTime(&now, &nowTime) ||
        !platform::SystemTimeToFileTime(&start, &startTime)) {
        return 0;
    }
    return platform::FileTimeToU64(startTime) < platform::FileTimeToU64(nowTime) ? 1 : 0;
}

}  // namespace timer_core
