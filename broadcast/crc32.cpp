#include "broadcast/crc32.h"

#include <array>

namespace broadcast {
namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x04C11DB7u);

}  // namespace

std::uint32_t CalcCrc32(int count, const std::uint8_t* bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (int i = 0; i < count; ++i)
        crc = (crc << 8) ^ kTable[(crc >> 24) ^ bytes[i]];
    return crc;
}

}  // namespace broadcast
