// Program Map Table (table_id 0x02).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

struct DescriptorList {
    std::uint8_t descriptor_count = 0;
    DescriptorArray descriptors;
};

struct PmtStreamEntry {
    std::uint8_t stream_type = 0;
    std::uint16_t elementary_PID = 0;  // 13 bits
    std::uint16_t ES_info_length = 0;  // 12 bits
    std::uint8_t descriptor_count = 0;
    DescriptorArray descriptors;
};

struct PmtSection {
    std::uint16_t section_length = 0;
    std::uint16_t program_number = 0;
    std::uint8_t version_number = 0;
    std::uint8_t current_next_indicator = 0;
    std::uint8_t section_number = 0;
    std::uint8_t last_section_number = 0;
    std::uint16_t PCR_PID = 0;                     // 13 bits
    std::uint16_t program_info_length = 0;         // 12 bits
    std::uint8_t descriptor_list_count = 0;        // always 1
    std::vector<DescriptorList> descriptor_lists;  // the program_info descriptors
    std::uint8_t stream_count = 0;
    std::vector<PmtStreamEntry> streams;
};

int ParsePmtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
