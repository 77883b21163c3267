// Program Association Table (table_id 0x00).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/section_record.h"

namespace broadcast {

struct PatProgramEntry {
    std::uint16_t program_number = 0;
    std::uint16_t PID = 0;  // 13 bits; the network_PID when program_number is 0
};

struct PatSection {
    std::uint16_t section_length = 0;
    std::uint16_t transport_stream_id = 0;
    std::uint8_t version_number = 0;
    std::uint8_t current_next_indicator = 0;
    std::uint8_t section_number = 0;
    std::uint8_t last_section_number = 0;
    std::uint8_t entry_count = 0;
    std::vector<PatProgramEntry> entries;  // broadcast order, program_number 0 included
};

int ParsePatSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
