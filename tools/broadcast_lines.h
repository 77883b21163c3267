// Lines of a broadcast description (broadcast_sim/broadcast_description_file.h) for the plans of
// the recording day and the soak run, and the service key a search condition names a channel by.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_time.h"

namespace tools {

struct BroadcastChannel {
    std::uint32_t value = 0;  // channel value
    std::uint16_t transportStreamId = 0;
    std::uint16_t networkId = 0;
    const char* name = "";
    std::uint16_t serviceId = 0;
    const char* serviceName = "";
};

// "channel" and "service" lines of a channel with one digital TV service.
std::string ChannelLines(const BroadcastChannel& channel);

// One "event" line.
std::string EventLine(std::uint16_t eventId, const platform::SYSTEMTIME& start, int seconds,
                      const std::string& title);

// (transport_stream_id << 16) | service_id.
int ServiceKey(const BroadcastChannel& channel);

}  // namespace tools
