#include "broadcast_sim/sim_time.h"

namespace broadcast_sim {

std::uint64_t ToTimeValue(const platform::SYSTEMTIME& time) {
    platform::FILETIME ft;
    if (!platform::SystemTimeToFileTime(&time, &ft)) return 0;
    return platform::FileTimeToU64(ft);
}

platform::SYSTEMTIME ToCalendar(std::uint64_t value) {
    const platform::FILETIME ft = platform::U64ToFileTime(value);
    platform::SYSTEMTIME out;
    platform::FileTimeToSystemTime(&ft, &out);
    return out;
}

}  // namespace broadcast_sim
