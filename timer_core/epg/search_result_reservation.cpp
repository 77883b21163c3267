#include "timer_core/epg/search_result_reservation.h"

#include "platform/code_page.h"

namespace timer_core {

int MakeReservationFromHit(const shared::ChSetFile& channels, const SearchResultEntry& hit,
                           ReserveEntry* entry) {
    const auto channel = channels.entries().find(platform::WideToShiftJis(hit.serviceName));
    if (channel == channels.entries().end()) return 0;
    ReserveEntry made;
    made.title = hit.title;
    made.start = hit.start;
    made.durationMinutes = static_cast<std::uint32_t>(hit.duration);
    made.durationSeconds = 0;
    made.channelName = hit.serviceName;
    made.channelValue = channel->second;
    made.serviceId = hit.serviceId;
    made.eventId = hit.eventId;
    made.priority = static_cast<std::uint8_t>(hit.priority);
    made.follow = static_cast<std::uint8_t>(hit.follow);
    *entry = std::move(made);
    return 1;
}

}  // namespace timer_core
