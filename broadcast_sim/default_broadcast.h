// The broadcast that the sample channel lists of the viewer receive when no description file is
// given: four terrestrial channels, two BS and two CS transport streams, two TV services each,
// with programmes for every day. Each day's programmes depend on nothing but the service and
// the date, so every process, started on any day, sees the same programme at the same time.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "broadcast_sim/broadcast_description.h"

namespace broadcast_sim {

struct SampleService {
    std::uint16_t service_id;
    const wchar_t* name;
};

struct SampleChannel {
    std::uint32_t channel;  // channel value
    std::uint16_t transport_stream_id;
    std::uint16_t original_network_id;
    const wchar_t* ts_name;
    std::array<SampleService, 2> services;
};

// The channels of viewer/channels.ini (terrestrial) and viewer/bscs.ini (BS/CS).
std::span<const SampleChannel> SampleChannels();

// Days of programmes the default broadcast holds before and after the day of `now`.
inline constexpr int kDefaultDaysBefore = 1;
inline constexpr int kDefaultDaysAfter = 8;

// Every sample channel with programmes from 00:00 of the day before `now` (FILETIME value of
// JST wall time) to the end of the eighth day after it.
BroadcastDescription MakeDefaultBroadcast(std::uint64_t now);
ChannelBroadcast MakeDefaultChannel(const SampleChannel& sample, std::uint64_t now);

}  // namespace broadcast_sim
