// Common Data Table (table_id 0xC8): logo data.
#pragma once

#include <cstdint>
#include <memory>

#include "broadcast/descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

struct CdtSection {
    std::uint16_t section_length = 0;
    std::uint16_t download_data_id = 0;
    std::uint8_t version_number = 0;
    std::uint8_t current_next_indicator = 0;
    std::uint8_t section_number = 0;
    std::uint8_t last_section_number = 0;
    std::uint16_t original_network_id = 0;
    std::uint8_t data_type = 0;
    std::uint16_t descriptors_loop_length = 0;  // 12 bits
    std::uint8_t descriptor_count = 0;
    DescriptorArray descriptors;
    std::uint8_t logo_type = 0;
    std::uint16_t logo_id = 0;       // 9 bits
    std::uint16_t logo_version = 0;  // 12 bits
    std::uint16_t data_size = 0;     // bytes held in `data` (fewer than announced when cut off)
    std::unique_ptr<std::uint8_t[]> data;  // null when data_size is 0
};

int ParseCdtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
