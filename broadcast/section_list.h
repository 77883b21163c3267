// Cutting a buffer of concatenated sections into CRC-checked, parsed SectionRecords.
#pragma once

#include <cstdint>

#include "broadcast/section_record.h"

namespace broadcast {

// Walks `length` bytes of sections: stops at 0xFF stuffing or at a section that does not fit;
// drops a section whose CRC_32 fails (writing "crc err %d, 0x%X, 0x%X" to the debug output);
// hands every other one to the parser of its table_id, keeping a tag-only record when there is
// none or it refuses. Returns 0 (writing nothing) when buffer or count is null or length is
// below 3; otherwise 1, with *count the number of records, *records (if given) receiving them
// when there are any, and *consumed (if given) the position at which the walk stopped.
int ParseSectionList(const std::uint8_t* buffer, int length, int* consumed, SectionList* records,
                     std::uint32_t* count);

}  // namespace broadcast
