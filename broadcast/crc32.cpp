#include "broadcast/crc32.h"

#include <array>

namespace broadcast {
namespace {

using Table = std::array<std::uint32_t, 256>;

constexpr Table MakeTable() {
    Table table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
        table[i] = crc;
    }
    return table;
}

// kTables[0] is the published CRC-32/MPEG-2 table; kTables[k] advances a byte's contribution
// by k further bytes, so eight bytes are folded in with eight independent lookups (one per
// byte) instead of one long chain of dependent ones.
constexpr std::array<Table, 8> MakeTables() {
    std::array<Table, 8> tables{};
    tables[0] = MakeTable();
    for (int k = 1; k < 8; ++k) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            const std::uint32_t prev = tables[k - 1][i];
            tables[k][i] = (prev << 8) ^ tables[0][prev >> 24];
        }
    }
    return tables;
}

constexpr std::array<Table, 8> kTables = MakeTables();
static_assert(kTables[0][1] == 0x04C11DB7u);

}  // namespace

std::uint32_t CalcCrc32(int count, const std::uint8_t* bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const std::uint32_t high =
            crc ^ ((std::uint32_t{bytes[i]} << 24) | (std::uint32_t{bytes[i + 1]} << 16) |
                   (std::uint32_t{bytes[i + 2]} << 8) | bytes[i + 3]);
        crc = kTables[7][high >> 24] ^ kTables[6][(high >> 16) & 0xFF] ^
              kTables[5][(high >> 8) & 0xFF] ^ kTables[4][high & 0xFF] ^ kTables[3][bytes[i + 4]] ^
              kTables[2][bytes[i + 5]] ^ kTables[1][bytes[i + 6]] ^ kTables[0][bytes[i + 7]];
    }
    for (; i < count; ++i)
        crc = (crc << 8) ^ kTables[0][(crc >> 24) ^ bytes[i]];
    return crc;
}

}  // namespace broadcast
