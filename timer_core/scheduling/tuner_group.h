// The tuner group of a channel value, the one rule that the scheduler, the tuner assignment and
// the overlap report share. Terrestrial channel values are small numbers, BS/CS values are
// (MHz << 16) | TSID and so at least 0x10000. The record thread looks for a BS/CS device for
// values above 0xFFFF and for a terrestrial one otherwise; 0xFFFF itself, which no channel table
// produces, goes with the terrestrial group so that both rules agree.
#pragma once

#include <cstdint>

namespace timer_core {

inline constexpr int kTerrestrialGroup = 1;
inline constexpr int kSatelliteGroup = 2;

// 1 for channel values up to 0xFFFF (negative ones included), 2 for values above.
inline int TunerGroupOf(std::int32_t channelValue) {
    return channelValue <= 0xFFFF ? kTerrestrialGroup : kSatelliteGroup;
}

}  // namespace timer_core
