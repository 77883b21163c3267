// An EPG store filled the way a receiver fills it: the live stream of one channel of the
// synthetic broadcast decoded by the SI capture until its schedules are complete.
#pragma once

#include <cstdint>

#include "broadcast/epg_store.h"
#include "broadcast_sim/default_broadcast.h"

namespace timer_ui_test {

// Receives `channel` at `now` (JST FILETIME value) into `store`; false when the schedules did not
// become complete.
bool ReceiveSyntheticChannel(const broadcast_sim::SampleChannel& channel, std::uint64_t now,
                             broadcast::EpgStore& store);

// The schedule event of the service that starts first at or after `now`, or null.
const broadcast::EpgEventRecord* NextEvent(const broadcast::EpgStore& store,
                                           std::uint32_t serviceKey, std::uint64_t now);

}  // namespace timer_ui_test
