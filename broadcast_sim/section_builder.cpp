#include "broadcast_sim/section_builder.h"

#include "broadcast/crc32.h"
#include "broadcast_sim/byte_writer.h"

namespace broadcast_sim {
namespace {

constexpr std::size_t kMaxSectionLength = 4093;

Section Frame(std::uint8_t table_id, std::uint8_t flags, std::span<const std::uint8_t> body,
              std::size_t crc_size) {
    const std::uint32_t length =
        ByteWriter::CheckedLength(body.size() + crc_size, kMaxSectionLength);
    ByteWriter w;
    w.U8(table_id).U16(((flags & 0xF0u) << 8) | length).Bytes(body);
    Section section = w.Take();
    if (crc_size != 0) {
        section.resize(section.size() + crc_size);
        RefreshCrc(section);
    }
    return section;
}

}  // namespace

Section BuildSection(std::uint8_t table_id, std::span<const std::uint8_t> body,
                     std::uint8_t flags) {
    return Frame(table_id, flags, body, 4);
}

Section BuildShortSection(std::uint8_t table_id, std::span<const std::uint8_t> body,
                          std::uint8_t flags) {
    return Frame(table_id, flags, body, 0);
}

Section BuildLongSection(const LongSectionHeader& header, std::span<const std::uint8_t> payload,
                         std::uint8_t flags) {
    ByteWriter w;
    w.U16(header.table_id_extension)
        .U8(0xC0u | ((header.version_number & 0x1Fu) << 1) |
            (header.current_next_indicator ? 1u : 0u))
        .U8(header.section_number)
        .U8(header.last_section_number)
        .Bytes(payload);
    return BuildSection(header.table_id, w.bytes(), flags);
}

void RefreshCrc(std::span<std::uint8_t> section) {
    if (section.size() < 4) return;
    const std::size_t body = section.size() - 4;
    const std::uint32_t crc = broadcast::CalcCrc32(static_cast<int>(body), section.data());
    for (int i = 0; i < 4; ++i)
        section[body + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

}  // namespace broadcast_sim
