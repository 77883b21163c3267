// Building PSI/SI sections of any table_id around a given body.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace broadcast_sim {

using Section = std::vector<std::uint8_t>;

// A long-form section: table_id, section_syntax_indicator 1 with `flags` as the upper nibble of
// byte 1, a 12-bit section_length covering `body` and the CRC_32, `body` (everything from byte
// 3 up to the CRC) and the CRC-32/MPEG-2 of all that. Throws std::length_error when the body
// does not fit a section_length of 4093.
Section BuildSection(std::uint8_t table_id, std::span<const std::uint8_t> body,
                     std::uint8_t flags = 0xF0);

// A short-form section without CRC (the TDT): section_syntax_indicator 0.
Section BuildShortSection(std::uint8_t table_id, std::span<const std::uint8_t> body,
                          std::uint8_t flags = 0x70);

// The five bytes that follow section_length in a long-form section.
struct LongSectionHeader {
    std::uint8_t table_id = 0;
    std::uint16_t table_id_extension = 0;
    std::uint8_t version_number = 0;
    bool current_next_indicator = true;
    std::uint8_t section_number = 0;
    std::uint8_t last_section_number = 0;
};

// BuildSection with the header above in front of `payload`.
Section BuildLongSection(const LongSectionHeader& header, std::span<const std::uint8_t> payload,
                         std::uint8_t flags = 0xF0);

// Stores a fresh CRC_32 in the last four bytes of a long-form section whose bytes were changed.
void RefreshCrc(std::span<std::uint8_t> section);

}  // namespace broadcast_sim
