// Event Information Table (table_id 0x4E-0x6F: present/following and schedule, actual and
// other).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

// Start and duration as broadcast; an undefined start time or duration (BCD 0xFFFFFF) is
// stored as 255, 255, 255 (the date of an undefined start is still converted).
struct EitEventEntry {
    std::uint16_t event_id = 0;
    std::uint16_t start_year = 0;
    std::uint8_t start_month = 0;
    std::uint8_t start_day = 0;
    std::uint8_t start_hour = 0;
    std::uint8_t start_minute = 0;
    std::uint8_t start_second = 0;
    std::uint8_t duration_hours = 0;
    std::uint8_t duration_minutes = 0;
    std::uint8_t duration_seconds = 0;
    std::uint8_t running_status = 0;  // 3 bits
    std::uint8_t free_CA_mode = 0;
    std::uint16_t descriptors_loop_length = 0;  // 12 bits
    std::uint8_t descriptor_count = 0;
    DescriptorArray descriptors;
};

// The three section numbers are kept as segment indexes (section number / 8).
struct EitSection {
    std::uint16_t section_length = 0;
    std::uint16_t service_id = 0;
    std::uint8_t version_number = 0;
    std::uint8_t current_next_indicator = 0;
    std::uint8_t section_segment = 0;       // section_number / 8
    std::uint8_t last_section_segment = 0;  // last_section_number / 8
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
    std::uint8_t segment_last_segment = 0;  // segment_last_section_number / 8
    std::uint8_t last_table_id = 0;
    std::uint8_t event_count = 0;
    std::vector<EitEventEntry> events;
    // The section as received, CRC included: present/following sections only (0x4E, 0x4F), which
    // broadcasters repeat every few seconds unchanged, so that a repeat can be told by its bytes.
    std::vector<std::uint8_t> bytes;
};

int ParseEitSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
