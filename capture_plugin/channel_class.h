// The classes of channel values the EPG collection tells apart. The collection compares channel
// values as signed 32-bit numbers: terrestrial below 0xFFFF, BS from 0xFFFF up to 0x30000000, CS
// above. CS channels form two groups: CS1, the three channels of one CS network, and CS2, the
// rest.
#pragma once

#include <cstdint>

namespace capture_plugin {

bool IsTerrestrialChannel(std::uint32_t channel);
bool IsBsChannel(std::uint32_t channel);
bool IsCsChannel(std::uint32_t channel);
bool IsCs1Channel(std::uint32_t channel);

}  // namespace capture_plugin
