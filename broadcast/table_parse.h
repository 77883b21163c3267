// The common frame of every table parser. Internal to the library.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "broadcast/byte_reader.h"
#include "broadcast/descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

// Refuses (0, consumed = remaining) when there is no out record or `accepts(table_id)` is
// false. Otherwise makes a record with the table pointer `slot` set, stores section_length and
// lets `fill(body, table)` read the rest: `body` covers the section (section_length + 3 bytes,
// never more than `remaining`) and stands at byte 3. Consumed is section_length + 3.
template <typename Table, typename Accepts, typename Fill>
int ParseTable(Accepts accepts, std::unique_ptr<Table> SectionRecord::*slot,
               const std::uint8_t* section, int remaining, int* consumed,
               std::unique_ptr<SectionRecord>* record, Fill fill) {
    if (record == nullptr || section == nullptr || remaining < 1 || !accepts(section[0])) {
        if (consumed != nullptr) *consumed = remaining;
        return 0;
    }
    ByteReader header(section, remaining);
    header.Skip(1);
    const int section_length = header.U16() & 0x0FFF;
    ByteReader body(section, std::min(section_length + 3, remaining));
    body.Skip(3);
    auto table = std::make_unique<Table>();
    table->section_length = static_cast<std::uint16_t>(section_length);
    fill(body, *table);
    auto result = std::make_unique<SectionRecord>();
    result->table_id = section[0];
    (*result).*slot = std::move(table);
    *record = std::move(result);
    if (consumed != nullptr) *consumed = section_length + 3;
    return 1;
}

inline auto TableIdIs(std::uint8_t id) {
    return [id](std::uint8_t table_id) { return table_id == id; };
}

// version_number and current_next_indicator from their byte.
template <typename Table>
void ReadVersion(ByteReader& r, Table& t) {
    const std::uint8_t b = r.U8();
    t.version_number = (b >> 1) & 0x1F;
    t.current_next_indicator = b & 1;
}

// The version byte, section_number and last_section_number (bytes 5-7 of a long section).
template <typename Table>
void ReadVersionAndNumbers(ByteReader& r, Table& t) {
    ReadVersion(r, t);
    t.section_number = r.U8();
    t.last_section_number = r.U8();
}

// `length` bytes of descriptors (fewer when the section ends first).
inline void ReadDescriptorLoop(ByteReader& r, int length, std::uint8_t* count,
                               DescriptorArray* descriptors) {
    ByteReader loop = r.Sub(length);
    ParseDescriptorLoop(loop.current(), loop.size(), descriptors, count);
}

// Whether an entry loop may take one more entry of at least `fixed` bytes.
template <typename Entries>
bool RoomForEntry(const ByteReader& r, const Entries& entries, int fixed) {
    return r.Has(fixed) && entries.size() < kMaxLoopEntries;
}

}  // namespace broadcast
