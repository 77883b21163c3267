// What the capture plug-in's EPG collection writes for one channel (ch<channel>_epg.dat): the raw
// packets of the PAT, NIT, SDT, EIT and TDT/TOT PIDs of the channel's live stream, in the order
// they were received. For the timer's loading tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>

#include "broadcast_sim/broadcast_description.h"

namespace broadcast_sim {

// A collection lasts until its schedules are complete, but at least a minute: it ends with the
// first SI packet after 60 whole seconds. The live stream's schedule carousel goes round well
// within that, so every collection of it lasts this long.
inline constexpr std::uint64_t kCollectionMs = 61000;

// The file of a collection that starts at `start` (JST FILETIME value) and receives the channel
// for `durationMs` of broadcast time, in steps of 100 ms.
std::string CollectEpgData(const ChannelBroadcast& channel, std::uint64_t start,
                           std::uint64_t durationMs = kCollectionMs,
                           std::uint64_t scheduleCycleMs = 25000);

}  // namespace broadcast_sim
