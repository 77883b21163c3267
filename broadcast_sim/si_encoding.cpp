#include "broadcast_sim/si_encoding.h"

#include "broadcast_sim/sim_time.h"

namespace broadcast_sim {
namespace {

std::uint64_t DayNumber(int year, int month, int day) {
    platform::SYSTEMTIME t;
    t.wYear = static_cast<platform::WORD>(year);
    t.wMonth = static_cast<platform::WORD>(month);
    t.wDay = static_cast<platform::WORD>(day);
    return ToTimeValue(t) / platform::kFileTimePerDay;
}

}  // namespace

std::uint16_t EncodeMjd(int year, int month, int day) {
    return static_cast<std::uint16_t>(DayNumber(year, month, day) - DayNumber(1858, 11, 17));
}

std::uint8_t EncodeBcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

std::uint32_t EncodeBcdTime(int hour, int minute, int second) {
    return (std::uint32_t{EncodeBcd(hour)} << 16) | (std::uint32_t{EncodeBcd(minute)} << 8) |
           EncodeBcd(second);
}

}  // namespace broadcast_sim
