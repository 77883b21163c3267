// Service description table sections with service descriptors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "broadcast_sim/section_builder.h"

namespace broadcast_sim {

struct SdtService {
    std::uint16_t service_id = 0;
    std::uint8_t service_type = 0x01;  // digital TV
    std::wstring provider_name;
    std::wstring service_name;
    bool service_descriptor = true;  // carry the service descriptor above
    // Whole descriptors (tag and length included) behind it, e.g. a second service descriptor.
    std::vector<std::vector<std::uint8_t>> extra_descriptors;
    bool eit_schedule_flag = true;
    bool eit_present_following_flag = true;
    std::uint8_t running_status = 4;  // running
    bool free_ca_mode = false;
};

struct SdtDescription {
    std::uint8_t table_id = 0x42;  // 0x46 for another stream
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
    std::uint8_t version_number = 0;
    std::vector<SdtService> services;
};

// As many sections as the services need, numbered from 0.
std::vector<Section> BuildSdt(const SdtDescription& sdt);

// The service descriptor (tag 0x48), tag and length included.
std::vector<std::uint8_t> BuildServiceDescriptor(std::uint8_t service_type,
                                                 std::wstring_view provider_name,
                                                 std::wstring_view service_name);

}  // namespace broadcast_sim
