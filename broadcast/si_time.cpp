#include "broadcast/si_time.h"

namespace broadcast {

int AddDaysToSystemTime(platform::SYSTEMTIME* time, int days) {
    if (time == nullptr) return 0;
    const std::int64_t units =
        static_cast<std::int64_t>(days) * static_cast<std::int64_t>(platform::kFileTimePerDay);
    return platform::AddToSystemTime(*time, units, time) ? 1 : 0;
}

SiDate MjdToDate(std::uint16_t mjd) {
    platform::SYSTEMTIME t;
    t.wYear = 1858;
    t.wMonth = 11;
    t.wDay = 17;
    AddDaysToSystemTime(&t, mjd);
    return SiDate{t.wYear, static_cast<std::uint8_t>(t.wMonth), static_cast<std::uint8_t>(t.wDay)};
}

std::uint8_t BcdToNumber(std::uint8_t bcd) {
    const int tens = bcd < 0xA0 ? (bcd >> 4) * 10 : 0;
    const int units = (bcd & 0x0F) <= 9 ? (bcd & 0x0F) : 0;
    return static_cast<std::uint8_t>(tens + units);
}

SiTime BcdToTime(std::uint32_t bcd24) {
    return SiTime{BcdToNumber(static_cast<std::uint8_t>(bcd24 >> 16)),
                  BcdToNumber(static_cast<std::uint8_t>(bcd24 >> 8)),
                  BcdToNumber(static_cast<std::uint8_t>(bcd24))};
}

SiTime BcdToTimeOrUndefined(std::uint32_t bcd24) {
    if (bcd24 == 0xFFFFFF) return SiTime{255, 255, 255};
    return BcdToTime(bcd24);
}

}  // namespace broadcast
