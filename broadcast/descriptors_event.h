// Sub-records of the descriptors an EIT event carries (short and extended event, component,
// content, audio, event group, series, ...). Text stays raw ARIB 8-unit bytes: each run is a
// byte count and an owned copy; "terminated" copies have one extra zero byte at their end.
// Every count of entries or bytes is the number actually held: where a broadcast count or length
// promised more than the descriptor holds, the count says what was read.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace broadcast {

struct DescriptorRecord;

// 0x4D
struct ShortEventDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t ISO_639_language_code[3] = {};
    std::uint8_t event_name_length = 0;
    std::unique_ptr<std::uint8_t[]> event_name;  // terminated
    std::uint8_t text_length = 0;
    std::unique_ptr<std::uint8_t[]> text;  // terminated
};

struct ExtendedEventItem {
    std::uint8_t item_description_length = 0;
    std::unique_ptr<std::uint8_t[]> item_description;  // terminated
    std::uint8_t item_length = 0;
    std::unique_ptr<std::uint8_t[]> item;  // terminated
};

// 0x4E
struct ExtendedEventDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t descriptor_number = 0;       // 4 bits
    std::uint8_t last_descriptor_number = 0;  // 4 bits
    std::uint8_t ISO_639_language_code[3] = {};
    std::uint8_t length_of_items = 0;
    std::uint8_t item_count = 0;
    std::vector<ExtendedEventItem> items;
    std::uint8_t text_length = 0;
    std::unique_ptr<std::uint8_t[]> text;  // terminated
};

// 0x4F
struct TimeShiftedEventDesc {
    std::uint8_t descriptor_length = 0;
    std::uint16_t reference_service_id = 0;
    std::uint16_t reference_event_id = 0;
};

// 0x50
struct ComponentDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t stream_content = 0;  // 4 bits
    std::uint8_t component_type = 0;
    std::uint8_t component_tag = 0;
    std::uint8_t ISO_639_language_code[3] = {};
    std::uint8_t text_length = 0;
    std::unique_ptr<std::uint8_t[]> text;  // terminated
};

struct ContentEntry {
    std::uint8_t content_nibble_level_1 = 0;
    std::uint8_t content_nibble_level_2 = 0;
    std::uint8_t user_nibble_1 = 0;
    std::uint8_t user_nibble_2 = 0;
};

// 0x54
struct ContentDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t entry_count = 0;
    std::vector<ContentEntry> entries;
};

struct ParentalRatingEntry {
    std::uint8_t country_code[3] = {};
    std::uint8_t rating = 0;
};

// 0x55
struct ParentalRatingDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t entry_count = 0;
    std::vector<ParentalRatingEntry> entries;
};

struct DigitalCopyControlComponent {
    std::uint8_t component_tag = 0;
    std::uint8_t digital_recording_control_data = 0;  // 2 bits
    std::uint8_t maximum_bitrate_flag = 0;
    std::uint8_t copy_control_type = 0;  // 2 bits
    std::uint8_t APS_control_data = 0;   // 2 bits
    std::uint8_t maximum_bitrate = 0;    // 0 when the flag is 0
};

// 0xC1
struct DigitalCopyControlDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t digital_recording_control_data = 0;  // 2 bits
    std::uint8_t maximum_bitrate_flag = 0;
    std::uint8_t component_control_flag = 0;
    std::uint8_t copy_control_type = 0;         // 2 bits
    std::uint8_t APS_control_data = 0;          // 2 bits
    std::uint8_t maximum_bitrate = 0;           // 0 when absent
    std::uint8_t component_control_length = 0;  // 0 when absent
    std::uint8_t component_count = 0;
    std::vector<DigitalCopyControlComponent> components;
};

// 0xC4
struct AudioComponentDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t stream_content = 0;  // 4 bits
    std::uint8_t component_type = 0;
    std::uint8_t component_tag = 0;
    std::uint8_t stream_type = 0;
    std::uint8_t simulcast_group_tag = 0;
    std::uint8_t ES_multi_lingual_flag = 0;
    std::uint8_t main_component_flag = 0;
    std::uint8_t quality_indicator = 0;  // 2 bits
    std::uint8_t sampling_rate = 0;      // 3 bits
    std::uint8_t ISO_639_language_code[3] = {};
    std::uint8_t ISO_639_language_code_2[3] = {};  // zero unless ES_multi_lingual_flag is 1
    std::uint8_t text_length = 0;
    std::unique_ptr<std::uint8_t[]> text;  // terminated
};

// 0xD5
struct SeriesDesc {
    std::uint8_t descriptor_length = 0;
    std::uint16_t series_id = 0;
    std::uint8_t repeat_label = 0;     // 4 bits
    std::uint8_t program_pattern = 0;  // 3 bits
    std::uint8_t expire_date_valid_flag = 0;
    std::uint16_t expire_year = 0;  // 0xFFFF, 255, 255 when the flag is 0
    std::uint8_t expire_month = 0;
    std::uint8_t expire_day = 0;
    std::uint16_t episode_number = 0;       // 12 bits
    std::uint16_t last_episode_number = 0;  // 12 bits
    std::uint8_t series_name_length = 0;
    std::unique_ptr<std::uint8_t[]> series_name;  // terminated
};

struct EventGroupEntry {
    std::uint16_t service_id = 0;
    std::uint16_t event_id = 0;
};

struct EventGroupOtherNetworkEntry {
    std::uint16_t service_id = 0;
    std::uint16_t event_id = 0;
    std::uint16_t original_network_id = 0;
    std::uint16_t transport_stream_id = 0;
};

// 0xD6
struct EventGroupDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t group_type = 0;   // 4 bits
    std::uint8_t event_count = 0;  // 4 bits: entries of `events`
    std::vector<EventGroupEntry> events;
    std::uint8_t other_network_count = 0;  // group_type 4 and 5 only
    std::vector<EventGroupOtherNetworkEntry> other_network_events;
    std::uint8_t private_data_length = 0;          // other group types only
    std::unique_ptr<std::uint8_t[]> private_data;  // terminated; null for group_type 4 and 5
};

struct ComponentGroupCaUnit {
    std::uint8_t CA_unit_id = 0;        // 4 bits
    std::uint8_t num_of_component = 0;  // 4 bits: bytes of `component_tags`
    std::unique_ptr<std::uint8_t[]> component_tags;
};

struct ComponentGroupEntry {
    std::uint8_t component_group_id = 0;  // 4 bits
    std::uint8_t num_of_CA_unit = 0;      // 4 bits
    std::vector<ComponentGroupCaUnit> ca_units;
    std::uint8_t total_bit_rate = 0;  // 0 unless total_bit_rate_flag is 1
    std::uint8_t text_length = 0;
    std::unique_ptr<std::uint8_t[]> text;  // not terminated
};

// 0xD9
struct ComponentGroupDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t component_group_type = 0;  // 3 bits
    std::uint8_t total_bit_rate_flag = 0;
    std::uint8_t num_of_group = 0;  // 4 bits
    std::vector<ComponentGroupEntry> groups;
};

// 0xDE
struct ContentAvailabilityDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t image_constraint_token = 0;
    std::uint8_t retention_mode = 0;
    std::uint8_t retention_state = 0;  // 3 bits
    std::uint8_t encryption_mode = 0;
    std::uint8_t private_data_length = 0;
    std::unique_ptr<std::uint8_t[]> private_data;  // terminated
};

// Descriptor parsers: (bytes left in the loop from the descriptor's start, descriptor bytes, out
// consumed, out record); 1 with a new record, or 0 with consumed = remaining.
int ParseShortEventDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<DescriptorRecord>* record);
int ParseExtendedEventDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                           std::unique_ptr<DescriptorRecord>* record);
int ParseTimeShiftedEventDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record);
int ParseComponentDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                       std::unique_ptr<DescriptorRecord>* record);
int ParseContentDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                     std::unique_ptr<DescriptorRecord>* record);
int ParseParentalRatingDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                            std::unique_ptr<DescriptorRecord>* record);
int ParseDigitalCopyControlDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<DescriptorRecord>* record);
int ParseAudioComponentDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                            std::unique_ptr<DescriptorRecord>* record);
int ParseSeriesDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                    std::unique_ptr<DescriptorRecord>* record);
int ParseEventGroupDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<DescriptorRecord>* record);
int ParseComponentGroupDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                            std::unique_ptr<DescriptorRecord>* record);
int ParseContentAvailabilityDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                 std::unique_ptr<DescriptorRecord>* record);

}  // namespace broadcast
