// Network information table sections with the TS information descriptor of each stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "broadcast_sim/section_builder.h"

namespace broadcast_sim {

struct NitTransportStream {
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
    bool ts_information = true;  // carry a TS information descriptor
    std::wstring ts_name;
    std::uint8_t remote_control_key_id = 0;
    std::vector<std::uint16_t> service_ids;  // listed under one transmission type
};

struct NitDescription {
    std::uint8_t table_id = 0x40;  // 0x41 for another network
    std::uint16_t network_id = 0;
    std::uint8_t version_number = 0;
    std::wstring network_name;  // a network name descriptor when not empty
    std::vector<NitTransportStream> transport_streams;
};

Section BuildNit(const NitDescription& nit);

// The TS information descriptor (tag 0xCD), tag and length included.
std::vector<std::uint8_t> BuildTsInformationDescriptor(const NitTransportStream& stream);

}  // namespace broadcast_sim
