// The descriptors of an EIT event, from its description.
#pragma once

#include <cstdint>
#include <vector>

#include "broadcast_sim/event_description.h"

namespace broadcast_sim {

// Short event, component, audio component, content and event group descriptors (those the
// description has), as basic schedule and present/following sections carry them.
std::vector<std::uint8_t> BuildBasicEventDescriptors(const EventDescription& event);

// Extended event descriptors for the items, numbered 0..last; an item too long for one
// descriptor continues in items without description. Empty when the event has no items. Throws
// std::length_error beyond 16 descriptors.
std::vector<std::uint8_t> BuildExtendedEventDescriptors(const EventDescription& event);

}  // namespace broadcast_sim
