#include "tools/world_plan.h"

#include <cstdio>

namespace tools {

void UseThreeChannels(WorldPlan& plan) {
    plan.channelsIni = L"[東京]\r\n21=みなと総合\r\n22=さくらテレビ\r\n";
    plan.bscsIni = L"[BS110CS]\r\n11727,4010=ＢＳみなと\r\n";
    plan.viewerIni.push_back({L"FriioView", L"ChunkPackets", L"32"});
}

SystemWorldOptions WorldOptionsOf(const WorldPlan& plan) {
    SystemWorldOptions options;
    options.clockStart = plan.clockStart;
    options.viewer.broadcastDescription = plan.broadcast;
    options.viewer.channelsIni = plan.channelsIni;
    options.viewer.bscsIni = plan.bscsIni;
    options.viewerIni = plan.viewerIni;
    options.timerIni = plan.timerIni;
    options.autoSearch = plan.conditions;
    return options;
}

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

timer_core::AutoSearchCondition TitleWordCondition(const std::wstring& word,
                                                   const BroadcastChannel& channel, int fromHour,
                                                   int toHour, bool follow) {
    timer_core::AutoSearchCondition condition;
    condition.andWords = word;
    condition.titleOnly = 1;
    condition.genre = -1;
    condition.startHour = fromHour;
    condition.startMinute = 0;
    condition.endHour = toHour;
    condition.endMinute = 59;
    condition.weekdays.fill(1);
    condition.serviceKeys = {static_cast<int>(
        (static_cast<std::uint32_t>(channel.transportStreamId) << 16) | channel.serviceId)};
    condition.priority = 3;
    condition.follow = follow ? 1 : 0;
    return condition;
}

}  // namespace tools
