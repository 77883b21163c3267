// Encoding dates and times the way the SI tables carry them (MJD and BCD).
#pragma once

#include <cstdint>

namespace broadcast_sim {

// Days from 1858-11-17 to the date (a Modified Julian Date).
std::uint16_t EncodeMjd(int year, int month, int day);

// 0-99 as two BCD digits.
std::uint8_t EncodeBcd(int value);

// Hour, minute and second as three BCD bytes (hh mm ss).
std::uint32_t EncodeBcdTime(int hour, int minute, int second);

}  // namespace broadcast_sim
