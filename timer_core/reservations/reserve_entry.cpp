#include "timer_core/reservations/reserve_entry.h"

#include <cwchar>

namespace timer_core {

std::wstring StartKey(const platform::SYSTEMTIME& start) {
    wchar_t key[32];
    std::swprintf(key, 32, L"%04d%02d%02d%02d%02d", start.wYear, start.wMonth, start.wDay,
                  start.wHour, start.wMinute);
    return key;
}

}  // namespace timer_core
