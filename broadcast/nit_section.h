// Network Information Table (table_id 0x40 actual, 0x41 other).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

struct NitTransportStreamEntry {
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
    std::uint16_t transport_descriptors_length = 0;  // 12 bits
    std::uint8_t descriptor_count = 0;
    DescriptorArray descriptors;
};

struct NitSection {
    std::uint16_t section_length = 0;
    std::uint16_t network_id = 0;
    std::uint8_t version_number = 0;
    std::uint8_t current_next_indicator = 0;
    std::uint8_t section_number = 0;
    std::uint8_t last_section_number = 0;
    std::uint16_t network_descriptors_length = 0;  // 12 bits
    std::uint8_t network_descriptor_count = 0;
    DescriptorArray network_descriptors;
    std::uint16_t transport_stream_loop_length = 0;  // 12 bits
    std::uint8_t transport_stream_count = 0;
    std::vector<NitTransportStreamEntry> transport_streams;
};

int ParseNitSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
