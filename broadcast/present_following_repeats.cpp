#include "broadcast/present_following_repeats.h"

#include <algorithm>

namespace broadcast {
namespace {

constexpr std::size_t kSectionNumberByte = 6;

std::uint64_t ServiceOf(const EitSection& eit) {
    return ServiceKey(eit.transport_stream_id, eit.service_id);
}

// Sections that do not carry their bytes (or too few to name their slot) are never repeats.
bool CarriesBytes(const EitSection& eit) {
    return eit.bytes.size() > kSectionNumberByte;
}

std::uint64_t SlotOf(std::uint8_t tableId, const EitSection& eit) {
    return ServiceOf(eit) << 16 | std::uint64_t{tableId} << 8 | eit.bytes[kSectionNumberByte];
}

std::uint64_t EventOf(const EitSection& eit, std::uint16_t eventId) {
    return ServiceOf(eit) << 16 | eventId;
}

}  // namespace

bool PresentFollowingRepeats::Unchanged(std::uint8_t tableId, const EitSection& eit,
                                        const EventMapHolder& holder) const {
    if (!CarriesBytes(eit)) return false;
    const auto stored = sections_.find(SlotOf(tableId, eit));
    if (stored == sections_.end() || stored->second.bytes != eit.bytes) return false;
    return std::all_of(eit.events.begin(), eit.events.end(), [&](const EitEventEntry& event) {
        const auto writer = writers_.find(EventOf(eit, event.event_id));
        const auto record = holder.events.find(event.event_id);
        return writer != writers_.end() && writer->second.storing == stored->second.storing &&
               record != holder.events.end() && record->second.get() == writer->second.record;
    });
}

void PresentFollowingRepeats::Stored(std::uint8_t tableId, const EitSection& eit,
                                     const EventMapHolder& holder) {
    const std::uint64_t storing = ++storings_;
    if (CarriesBytes(eit)) sections_[SlotOf(tableId, eit)] = {eit.bytes, storing};
    for (const EitEventEntry& event : eit.events)
        writers_[EventOf(eit, event.event_id)] = {storing, holder.events.at(event.event_id).get()};
}

void PresentFollowingRepeats::Clear() {
    sections_.clear();
    writers_.clear();
}

}  // namespace broadcast
