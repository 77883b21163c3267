// The debug lines of the record thread's failures: one line each, saying what failed and for
// which reservation, so that the debug log of a day with a failed recording tells why.
#pragma once

#include <string>
#include <string_view>

#include "timer_core/reservations/reserve_entry.h"

namespace timer_core {

// "ID 3 みなと映画 2026/12/04 10:00": the reservation as the list shows it.
std::wstring ReservationText(const ReserveEntry& entry);

// Writes "record thread: <what>, ID 3 みなと映画 2026/12/04 10:00".
void ReportFailure(std::wstring_view what, const ReserveEntry& entry);

}  // namespace timer_core
