#include "timer_ui/iepg_reservation.h"

#include <algorithm>

namespace timer_ui {
namespace {

constexpr std::uint8_t kIepgPriority = 2;
constexpr std::uint8_t kIepgFollow = 1;

}  // namespace

int FindIepgChannel(const timer_core::ChSet2List& channels, const timer_core::IepgRecord& record,
                    int* channel) {
    int transportStreamId = 0;
    if (!channels.FindByService(record.networkClass, record.serviceId, &transportStreamId)) {
        return 0;
    }
    const auto found =
        channels.entries().find(timer_core::ChSet2List::Key(transportStreamId, record.serviceId));
    if (found == channels.entries().end()) return 0;
    *channel = found->second.channel;
    return 1;
}

timer_core::ReserveEntry MakeIepgReserveEntry(const timer_core::IepgRecord& record, int channel) {
    timer_core::ReserveEntry entry;
    entry.title = record.title;
    entry.start = record.start;
    entry.durationMinutes = static_cast<std::uint32_t>(std::max(record.durationMinutes, 0));
    entry.channelName = record.stationName;
    entry.channelValue = channel;
    entry.serviceId = record.serviceId;
    entry.eventId = record.eventId;
    entry.priority = kIepgPriority;
    entry.follow = kIepgFollow;
    entry.id = 0;
    return entry;
}

}  // namespace timer_ui
