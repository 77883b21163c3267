#include "broadcast_sim/broadcast_description.h"

#include <algorithm>

#include "broadcast_sim/sim_time.h"

namespace broadcast_sim {
namespace {

template <class Services>
auto* FindIn(Services& services, std::uint16_t serviceId) {
    const auto it = std::find_if(services.begin(), services.end(),
                                 [&](const auto& s) { return s.service_id == serviceId; });
    return it == services.end() ? nullptr : &*it;
}

void SortByStart(std::vector<EventDescription>& events) {
    std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) {
        return ToTimeValue(a.start) < ToTimeValue(b.start);
    });
}

}  // namespace

const ServiceSchedule* ChannelBroadcast::FindService(std::uint16_t serviceId) const {
    return FindIn(services, serviceId);
}

ServiceSchedule* ChannelBroadcast::FindService(std::uint16_t serviceId) {
    return FindIn(services, serviceId);
}

const ChannelBroadcast* BroadcastDescription::FindChannel(std::uint32_t channel) const {
    const auto it = std::find_if(channels.begin(), channels.end(),
                                 [&](const auto& c) { return c.channel == channel; });
    return it == channels.end() ? nullptr : &*it;
}

bool ApplyScheduleChange(ChannelBroadcast& channel, const ScheduleChange& change) {
    if (change.channel != channel.channel) return false;
    ServiceSchedule* service = channel.FindService(change.service_id);
    if (service == nullptr) return false;
    auto event = std::find_if(service->events.begin(), service->events.end(),
                              [&](const auto& e) { return e.event_id == change.event_id; });
    if (event == service->events.end()) return false;
    switch (change.kind) {
        case ChangeKind::kMove:
            event->start = change.new_start;
            break;
        case ChangeKind::kResize:
            event->duration_seconds = change.new_duration_seconds;
            break;
        case ChangeKind::kReplace:
            *event = change.replacement;
            break;
    }
    SortByStart(service->events);
    return true;
}

ChannelBroadcast WithChangesUntil(ChannelBroadcast channel,
                                  const std::vector<ScheduleChange>& changes, std::uint64_t now) {
    for (const ScheduleChange& change : changes) {
        if (ToTimeValue(change.at) <= now) ApplyScheduleChange(channel, change);
    }
    return channel;
}

std::uint64_t NextChangeAfter(std::uint32_t channel, const std::vector<ScheduleChange>& changes,
                              std::uint64_t now) {
    std::uint64_t next = 0;
    for (const ScheduleChange& change : changes) {
        const std::uint64_t at = ToTimeValue(change.at);
        if (change.channel == channel && at > now && (next == 0 || at < next)) next = at;
    }
    return next;
}

}  // namespace broadcast_sim
