// DSM-CC sections of the data carousel (table_id 0x3A-0x3F): DownloadInfoIndication (0x3B),
// DownloadDataBlock (0x3C), stream descriptors (0x3D) and raw payloads (0x3A, 0x3E, 0x3F).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/module_descriptor_record.h"
#include "broadcast/section_record.h"

namespace broadcast {

struct DiiModuleEntry {
    DiiModuleEntry() = default;  // count 0, no array

    std::uint16_t moduleId = 0;
    std::uint32_t moduleSize = 0;
    std::uint8_t moduleVersion = 0;
    std::uint8_t moduleInfoLength = 0;
    std::uint8_t module_descriptor_count = 0;
    ModuleDescriptorArray module_descriptors;
};

struct DiiMessage {
    std::uint8_t protocolDiscriminator = 0;
    std::uint8_t dsmccType = 0;
    std::uint16_t messageId = 0;
    std::uint32_t transactionId = 0;
    std::uint8_t adaptationLength = 0;
    std::uint16_t messageLength = 0;
    std::uint8_t adaptationType = 0;
    std::uint8_t adaptation_byte_count = 0;  // adaptationLength - 1
    std::unique_ptr<std::uint8_t[]> adaptation_bytes;
    std::uint32_t downloadId = 0;
    std::uint16_t blockSize = 0;
    std::uint8_t windowSize = 0;
    std::uint8_t ackPeriod = 0;
    std::uint32_t tCDownloadWindow = 0;
    std::uint32_t tCDownloadScenario = 0;
    std::uint16_t compatibilityDescriptorLength = 0;
    std::uint16_t compatibility_descriptor_count = 0;  // descriptorCount
    std::uint16_t compatibility_byte_count = 0;        // compatibilityDescriptorLength - 2
    std::unique_ptr<std::uint8_t[]> compatibility_bytes;
    std::uint16_t numberOfModules = 0;  // modules held (fewer than announced when cut off)
    std::vector<DiiModuleEntry> modules;
    std::uint16_t privateDataLength = 0;
    std::uint8_t private_descriptor_count = 0;
    ModuleDescriptorArray private_descriptors;
};

struct DdbMessage {
    std::uint8_t protocolDiscriminator = 0;
    std::uint8_t dsmccType = 0;
    std::uint16_t messageId = 0;
    std::uint32_t downloadId = 0;
    std::uint8_t adaptationLength = 0;
    std::uint16_t messageLength = 0;
    std::uint8_t adaptationType = 0;
    std::uint8_t adaptation_byte_count = 0;
    std::unique_ptr<std::uint8_t[]> adaptation_bytes;
    std::uint16_t moduleId = 0;
    std::uint8_t moduleVersion = 0;
    std::uint16_t blockNumber = 0;
    std::uint16_t block_data_length = 0;  // messageLength - adaptationLength - 6, as held
    std::unique_ptr<std::uint8_t[]> block_data;
};

struct DsmccDescriptorList {
    std::uint16_t descriptor_count = 0;
    ModuleDescriptorArray descriptors;  // tag-only records
};

struct DsmccSection {
    std::uint8_t section_syntax_indicator = 0;
    std::uint16_t section_length = 0;  // 12 bits
    std::uint16_t table_id_extension = 0;
    std::uint8_t table_id_extension_high = 0;  // upper 4 bits
    std::uint16_t table_id_extension_low = 0;  // lower 12 bits
    std::uint8_t version_number = 0;
    std::uint8_t current_next_indicator = 0;
    std::uint8_t section_number = 0;
    std::uint8_t last_section_number = 0;
    // Exactly one of these, by table_id.
    std::unique_ptr<DiiMessage> dii;                       // 0x3B
    std::unique_ptr<DdbMessage> ddb;                       // 0x3C
    std::unique_ptr<DsmccDescriptorList> descriptor_list;  // 0x3D (null when there is none)
    std::uint16_t raw_payload_length = 0;                  // 0x3A, 0x3E, 0x3F
    std::unique_ptr<std::uint8_t[]> raw_payload;
};

int ParseDsmccSection(const std::uint8_t* section, int remaining, int* consumed,
                      std::unique_ptr<SectionRecord>* record);

}  // namespace broadcast
