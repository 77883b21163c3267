// Time and Date Table (0x70) and Time Offset Table (0x73): the broadcast clock.
#pragma once

#include <cstdint>
#include <memory>

#include "broadcast/descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

struct TdtSection {
    std::uint16_t section_length = 0;
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

struct TotSection {
    std::uint16_t section_length = 0;
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint16_t descriptors_loop_length = 0;  // 12 bits
    std::uint8_t descriptor_count = 0;
    DescriptorArray descriptors;
};

// The TDT carries no CRC_32; the section splitter does not test one.
int ParseTdtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);
int ParseTotSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
