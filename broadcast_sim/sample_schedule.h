// Plausible programme events for synthetic broadcasts, benchmarks and tests: back-to-back events
// with Japanese names, descriptions, extended items, video, audio and genre, drawn from a seed.
#pragma once

#include <cstdint>
#include <vector>

#include "broadcast_sim/event_description.h"
#include "platform/system_time.h"

namespace broadcast_sim {

// Events from `from` (JST) until `hours` later, event ids counting up from `first_event_id`.
// The same arguments always give the same events.
std::vector<EventDescription> MakeSampleEvents(const platform::SYSTEMTIME& from, int hours,
                                               std::uint16_t first_event_id, std::uint32_t seed);

}  // namespace broadcast_sim
