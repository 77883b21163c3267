// Shared by the section fuzz targets: make the CRC_32 of every section in a buffer valid, so
// that mutated sections reach the table and descriptor parsers instead of the CRC test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "broadcast_sim/section_builder.h"

inline void FixSectionCrcs(std::vector<std::uint8_t>& buffer) {
    std::size_t pos = 0;
    while (pos + 3 <= buffer.size() && buffer[pos] != 0xFF) {
        const std::size_t total = (((buffer[pos + 1] & 0x0Fu) << 8) | buffer[pos + 2]) + 3;
        if (pos + total > buffer.size()) break;
        if (buffer[pos] != 0x70 && total >= 7) {
            broadcast_sim::RefreshCrc(std::span(buffer).subspan(pos, total));
        }
        pos += total;
    }
}
