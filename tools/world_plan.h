// What the plans of the recording day and the soak run are built of: the settings and files of a
// world of the whole system (tools/system_world.h) on the synthetic broadcast, the lines of its
// broadcast description (broadcast_sim/broadcast_description_file.h) and its search conditions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "timer_core/epg/auto_search_condition.h"
#include "tools/system_world.h"

namespace tools {

struct WorldPlan {
    platform::SYSTEMTIME clockStart{};
    std::string broadcast;  // broadcast_sim/broadcast_description_file.h
    std::wstring channelsIni;
    std::wstring bscsIni;
    std::vector<IniValue> timerIni;
    std::vector<IniValue> viewerIni;
    std::vector<timer_core::AutoSearchCondition> conditions;
};

// The channel lists of the three channels both plans broadcast on (みなと総合 21, さくらテレビ
// 22, ＢＳみなと), and small chunks of the viewer's stream: a recording's file grows, and stops,
// within a moment of the clock.
void UseThreeChannels(WorldPlan& plan);

// The world's options for the plan (clock rate, bitrate, folders and display are the caller's).
SystemWorldOptions WorldOptionsOf(const WorldPlan& plan);

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

// A title word on one channel, starting within the hours given (whole hours, inclusive), any
// genre, any weekday, priority 3.
timer_core::AutoSearchCondition TitleWordCondition(const std::wstring& word,
                                                   const BroadcastChannel& channel, int fromHour,
                                                   int toHour, bool follow);

}  // namespace tools
