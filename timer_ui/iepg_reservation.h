// An iEPG file's programme as a reservation: the physical channel of its service from
// ChSet2.txt, and the reservation the program's start and a drop on the main window build
// from it (priority 2, follow mode on, no result text, not yet numbered).
#pragma once

#include "timer_core/epg/ch_set2_list.h"
#include "timer_core/epg/iepg_reader.h"
#include "timer_core/reservations/reserve_entry.h"

namespace timer_ui {

// The channel value of the channel-table entry that carries the record's service in its network
// class: 1 with the value in *channel, or 0 when ChSet2.txt does not list the service.
int FindIepgChannel(const timer_core::ChSet2List& channels, const timer_core::IepgRecord& record,
                    int* channel);

// The reservation of the record's programme on `channel`, with ID 0. A length that runs
// backwards (an end before the start in the same hour) becomes 0 minutes rather than wrapping
// round to thousands of years.
timer_core::ReserveEntry MakeIepgReserveEntry(const timer_core::IepgRecord& record, int channel);

}  // namespace timer_ui
