#include "tools/broadcast_lines.h"

#include <cstdio>

namespace tools {

std::string ChannelLines(const BroadcastChannel& c) {
    char head[256];
    std::snprintf(head, sizeof head, "channel\t%u\t0x%04X\t0x%04X\t%s\nservice\t0x%X\t1\t%s\n",
                  c.value, unsigned{c.transportStreamId}, unsigned{c.networkId}, c.name,
                  unsigned{c.serviceId}, c.serviceName);
    return head;
}

std::string EventLine(std::uint16_t eventId, const platform::SYSTEMTIME& start, int seconds,
                      const std::string& title) {
    char line[256];
    std::snprintf(line, sizeof line, "event\t%u\t%04d-%02d-%02d %02d:%02d:%02d\t%d\t%s\n",
                  unsigned{eventId}, start.wYear, start.wMonth, start.wDay, start.wHour,
                  start.wMinute, start.wSecond, seconds, title.c_str());
    return line;
}

int ServiceKey(const BroadcastChannel& channel) {
    return static_cast<int>((static_cast<std::uint32_t>(channel.transportStreamId) << 16) |
                            channel.serviceId);
}

}  // namespace tools
