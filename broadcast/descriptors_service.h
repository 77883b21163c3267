// Sub-records of the descriptors of services, streams, access control and links: CA, stuffing,
// service, country availability, linkage, CA identifier, hierarchical transmission, hyperlink,
// target region, video decode control, logo transmission, LDT linkage and stream identifier.
// Counts are the number of entries or bytes actually held.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace broadcast {

struct DescriptorRecord;

// 0x09
struct CaDesc {
    std::uint8_t descriptor_length = 0;
    std::uint16_t CA_system_id = 0;
    std::uint16_t CA_PID = 0;  // 13 bits
    std::uint8_t private_data_length = 0;
    std::unique_ptr<std::uint8_t[]> private_data;  // terminated
};

// 0x42
struct StuffingDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t stuffing_length = 0;
    std::unique_ptr<std::uint8_t[]> stuffing;  // terminated
};

// 0x48
struct ServiceDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t service_type = 0;
    std::uint8_t service_provider_name_length = 0;
    std::unique_ptr<std::uint8_t[]> service_provider_name;  // terminated
    std::uint8_t service_name_length = 0;
    std::unique_ptr<std::uint8_t[]> service_name;  // terminated
};

// 0x49
struct CountryAvailabilityDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t country_availability_flag = 0;
    std::uint8_t country_codes_length = 0;
    std::unique_ptr<std::uint8_t[]> country_codes;  // terminated
};

// 0x4A
struct LinkageDesc {
    std::uint8_t descriptor_length = 0;
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
    std::uint16_t service_id = 0;
    std::uint8_t linkage_type = 0;
    std::uint8_t private_data_length = 0;
    std::unique_ptr<std::uint8_t[]> private_data;  // terminated
};

// 0x52
struct StreamIdentifierDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t component_tag = 0;
};

// 0x53
struct CaIdentifierDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t CA_system_ids_length = 0;
    std::unique_ptr<std::uint8_t[]> CA_system_ids;  // terminated
};

// 0xC0
struct HierarchicalTransmissionDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t quality_level = 0;
    std::uint16_t reference_PID = 0;  // 13 bits
};

// One selector of a hyperlink; which fields are set depends on link_destination_type:
// 1 ids of a service, 2 with event_id, 3 with event_id and value_1, value_2, 4 with
// content_id, 5 with content_id, value_1 and value_2, 6 the ERT node fields.
struct HyperlinkSelector {
    std::uint16_t original_network_id = 0;
    std::uint16_t transport_stream_id = 0;
    std::uint16_t service_id = 0;
    std::uint16_t event_id = 0;
    std::uint16_t content_id = 0;
    std::uint16_t value_1 = 0;
    std::uint16_t value_2 = 0;
    std::uint16_t information_provider_id = 0;
    std::uint16_t event_relation_id = 0;
    std::uint16_t node_id = 0;
};

// 0xC5
struct HyperlinkDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t hyper_linkage_type = 0;
    std::uint8_t link_destination_type = 0;
    std::uint8_t selector_length = 0;
    std::uint8_t selector_count = 0;
    std::vector<HyperlinkSelector> selectors;
    std::uint8_t private_data_length = 0;
    std::unique_ptr<std::uint8_t[]> private_data;  // terminated
};

// 0xC6
struct TargetRegionDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t region_spec_type = 0;
    std::uint8_t region_length = 0;
    std::unique_ptr<std::uint8_t[]> region;  // not terminated
};

// 0xC8
struct VideoDecodeControlDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t still_picture_flag = 0;
    std::uint8_t sequence_end_code_flag = 0;
    std::uint8_t video_encode_format = 0;  // 4 bits
};

// 0xCF
struct LogoTransmissionDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t logo_transmission_type = 0;
    std::uint16_t logo_id = 0;                  // 9 bits; types 1 and 2
    std::uint16_t logo_version = 0;             // 12 bits; type 1
    std::uint16_t download_data_id = 0;         // type 1
    std::uint8_t logo_char_length = 0;          // other types
    std::unique_ptr<std::uint8_t[]> logo_char;  // not terminated
};

struct LdtLinkageEntry {
    std::uint16_t description_id = 0;
    std::uint8_t description_type = 0;  // 4 bits
    std::uint8_t user_defined = 0;
};

// 0xDC
struct LdtLinkageDesc {
    std::uint8_t descriptor_length = 0;
    std::uint16_t original_service_id = 0;
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
    std::uint8_t entry_count = 0;
    std::vector<LdtLinkageEntry> entries;
};

int ParseCaDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                std::unique_ptr<DescriptorRecord>* record);
int ParseStuffingDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                      std::unique_ptr<DescriptorRecord>* record);
int ParseServiceDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                     std::unique_ptr<DescriptorRecord>* record);
int ParseCountryAvailabilityDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                 std::unique_ptr<DescriptorRecord>* record);
int ParseLinkageDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                     std::unique_ptr<DescriptorRecord>* record);
int ParseStreamIdentifierDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record);
int ParseCaIdentifierDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                          std::unique_ptr<DescriptorRecord>* record);
int ParseHierarchicalTransmissionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                      std::unique_ptr<DescriptorRecord>* record);
int ParseHyperlinkDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                       std::unique_ptr<DescriptorRecord>* record);
int ParseTargetRegionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                          std::unique_ptr<DescriptorRecord>* record);
int ParseVideoDecodeControlDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<DescriptorRecord>* record);
int ParseLogoTransmissionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record);
int ParseLdtLinkageDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<DescriptorRecord>* record);

}  // namespace broadcast
