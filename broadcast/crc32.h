// CRC-32/MPEG-2, the checksum that ends every long-form PSI/SI section.
#pragma once

#include <cstdint>

namespace broadcast {

// CRC-32/MPEG-2 of `count` bytes: polynomial 0x04C11DB7, register preset to 0xFFFFFFFF, most
// significant bit first, no reflection, no final XOR; one table lookup per byte. A count of 0 or
// less returns 0xFFFFFFFF.
std::uint32_t CalcCrc32(int count, const std::uint8_t* bytes);

}  // namespace broadcast
