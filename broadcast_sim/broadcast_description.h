// What a synthetic broadcast carries: per physical channel (channel value) its transport stream
// and services, per service its programmes, and changes to those programmes that go on air at
// given times (a start that moves, a programme extended or shortened, a programme replaced).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "broadcast_sim/event_description.h"
#include "platform/system_time.h"

namespace broadcast_sim {

struct ServiceSchedule {
    std::uint16_t service_id = 0;
    std::uint8_t service_type = 0x01;  // digital TV
    std::wstring name;
    std::vector<EventDescription> events;  // in start order
};

struct ChannelBroadcast {
    std::uint32_t channel = 0;  // channel value
    std::uint16_t transport_stream_id = 0;
    std::uint16_t original_network_id = 0;
    std::wstring ts_name;
    std::vector<ServiceSchedule> services;

    const ServiceSchedule* FindService(std::uint16_t serviceId) const;
    ServiceSchedule* FindService(std::uint16_t serviceId);
};

enum class ChangeKind {
    kMove,     // the event starts at new_start, its duration kept
    kResize,   // the event lasts new_duration_seconds, its start kept
    kReplace,  // the event gives way to replacement (which may carry another event_id)
};

struct ScheduleChange {
    platform::SYSTEMTIME at;  // JST wall time from which the change is on air
    std::uint32_t channel = 0;
    std::uint16_t service_id = 0;
    std::uint16_t event_id = 0;
    ChangeKind kind = ChangeKind::kMove;
    platform::SYSTEMTIME new_start;
    std::uint32_t new_duration_seconds = 0;
    EventDescription replacement;
};

struct BroadcastDescription {
    std::vector<ChannelBroadcast> channels;
    std::vector<ScheduleChange> changes;  // in the order they were given

    const ChannelBroadcast* FindChannel(std::uint32_t channel) const;
};

// Applies the change when it concerns this channel and its event exists; the service's events
// stay in start order. False when nothing was changed.
bool ApplyScheduleChange(ChannelBroadcast& channel, const ScheduleChange& change);

// The channel with every change of `changes` whose time is at or before `now` (FILETIME value)
// applied in order.
ChannelBroadcast WithChangesUntil(ChannelBroadcast channel,
                                  const std::vector<ScheduleChange>& changes, std::uint64_t now);

// The earliest change time of the channel after `now`; 0 when none is left.
std::uint64_t NextChangeAfter(std::uint32_t channel, const std::vector<ScheduleChange>& changes,
                              std::uint64_t now);

}  // namespace broadcast_sim
