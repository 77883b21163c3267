// Event information table sections: present/following, and schedules cut into three-hour
// segments the way broadcasters send them.
#pragma once

#include <cstdint>
#include <vector>

#include "broadcast_sim/event_description.h"
#include "broadcast_sim/section_builder.h"

namespace broadcast_sim {

// The present/following sub-table of a service: section 0 holds the present event, section 1 the
// following one (either may be null: an empty section). Actual stream 0x4E, other 0x4F.
std::vector<Section> BuildEitPresentFollowing(const EitService& service,
                                              std::uint8_t version_number,
                                              const EventDescription* present,
                                              const EventDescription* following,
                                              bool other_stream = false);

struct ScheduleDescription {
    EitService service;
    std::uint8_t version_number = 0;
    // 00:00 JST of the day that segment 0 of the first table starts.
    platform::SYSTEMTIME first_day;
    // Segments of the first table before this one (the past part of the day) are not sent;
    // broadcasters start at the segment of the current time (hour / 3).
    int first_segment = 0;
    int days = 8;               // four days per table_id
    bool other_stream = false;  // 0x60/0x68 tables instead of 0x50/0x58
    std::vector<EventDescription> events;
};

// The basic schedule (table_id 0x50 on): every event of the schedule's span with its short
// event, component, audio, content and event group descriptors. Every segment of the span is
// sent, an empty one as one section without events; a segment needing more than eight sections
// throws std::length_error.
std::vector<Section> BuildEitScheduleBasic(const ScheduleDescription& schedule);

// The extended schedule (table_id 0x58 on): the events that have extended items, with their
// extended event descriptors, segmented the same way.
std::vector<Section> BuildEitScheduleExtended(const ScheduleDescription& schedule);

// The sections of several sub-tables taken in turn, one from each list while it lasts, the way a
// broadcaster's EIT carousel mixes its services.
std::vector<Section> InterleaveSections(const std::vector<std::vector<Section>>& lists);

// One event loop entry: ids, start, duration, status and the given descriptors.
std::vector<std::uint8_t> BuildEitEvent(const EventDescription& event,
                                        const std::vector<std::uint8_t>& descriptors);

}  // namespace broadcast_sim
