// One programme event as a synthetic broadcast describes it; the EIT builders turn it into the
// event loop entries and descriptors of present/following and schedule sections.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_time.h"

namespace broadcast_sim {

struct ExtendedItem {
    std::wstring description;  // e.g. "出演者"; empty continues the previous item
    std::wstring text;
};

struct EventComponent {  // component descriptor (video)
    std::uint8_t stream_content = 0x01;
    std::uint8_t component_type = 0xB3;  // 1080i 16:9
    std::uint8_t component_tag = 0x00;
    std::wstring text;
};

struct EventAudio {                      // audio component descriptor
    std::uint8_t component_type = 0x03;  // stereo
    std::uint8_t component_tag = 0x10;
    std::uint8_t stream_type = 0x0F;  // AAC
    bool multi_lingual = false;
    bool main_component = true;
    std::uint8_t quality_indicator = 1;
    std::uint8_t sampling_rate = 7;  // 48 kHz
    std::wstring text;
};

struct EventGenre {  // one content descriptor entry
    std::uint8_t level1 = 0;
    std::uint8_t level2 = 0;
    std::uint8_t user1 = 0xF;
    std::uint8_t user2 = 0xF;
};

struct EventGroupMember {  // one event of a common-event group
    std::uint16_t service_id = 0;
    std::uint16_t event_id = 0;
};

struct EventDescription {
    std::uint16_t event_id = 0;
    platform::SYSTEMTIME start;  // JST wall time
    std::uint32_t duration_seconds = 0;
    std::uint8_t running_status = 0;
    bool free_ca_mode = false;
    std::wstring name;
    std::wstring text;
    std::vector<ExtendedItem> extended_items;
    std::optional<EventComponent> component;
    std::optional<EventAudio> audio;
    std::vector<EventGenre> genres;
    std::vector<EventGroupMember> group_members;  // event group descriptor, group_type 1
};

// The ids an EIT section carries in its header.
struct EitService {
    std::uint16_t service_id = 0;
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
};

}  // namespace broadcast_sim
