// Service Description Table (table_id 0x42 actual, 0x46 other).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

struct SdtServiceEntry {
    std::uint16_t service_id = 0;
    std::uint8_t EIT_user_defined_flags = 0;  // 3 bits
    std::uint8_t EIT_schedule_flag = 0;
    std::uint8_t EIT_present_following_flag = 0;
    std::uint8_t running_status = 0;  // 3 bits
    std::uint8_t free_CA_mode = 0;
    std::uint16_t descriptors_loop_length = 0;  // 12 bits
    std::uint8_t descriptor_count = 0;
    DescriptorArray descriptors;
};

struct SdtSection {
    std::uint16_t section_length = 0;
    std::uint16_t transport_stream_id = 0;
    std::uint8_t version_number = 0;
    std::uint8_t current_next_indicator = 0;
    std::uint8_t section_number = 0;
    std::uint8_t last_section_number = 0;
    std::uint16_t original_network_id = 0;
    std::uint8_t service_count = 0;
    std::vector<SdtServiceEntry> services;
};

int ParseSdtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
