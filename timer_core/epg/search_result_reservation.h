// A reservation made from a hit of the EPG search: the condition editor's reserve button and the
// main window's automatic reservations turn hits into reservations the same way, the channel
// value coming from ChSet.txt by the hit's service name.
#pragma once

#include "shared/ch_set_file.h"
#include "timer_core/epg/epg_search.h"
#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {

// Fills `entry` (from the defaults of a ReserveEntry: ID 0, no result text) with the hit's title,
// service name, start, length in minutes, service_id, event_id, priority and follow flag, and the
// channel value that the table holds for the service name (in code page 932). 0 when the table
// has no line of that name; the entry is then left as it was.
int MakeReservationFromHit(const shared::ChSetFile& channels, const SearchResultEntry& hit,
                           ReserveEntry* entry);

}  // namespace timer_core
