// The private messages that reach the timer's main window: from a second program instance and the
// search dialog (0x46F), from the record threads (0x470-0x473) and from the EPG acquisition
// thread (0x474). All are posted with wParam 0 and lParam 0.
#pragma once

#include "platform/win_types.h"

namespace timer_core {

// Program.txt has new lines: merge them and plan again.
inline constexpr platform::UINT WM_RELOAD_RESERVATIONS = 0x46F;
// A record thread's slot is finished (the recording ended without a chained reservation, or the
// thread gave up): the after-recording action, then plan again.
inline constexpr platform::UINT WM_RECORDING_ENDED = 0x470;
// A record thread handed its tuner over to the chained reservation.
inline constexpr platform::UINT WM_RECORDING_CHAINED = 0x471;
// A record thread changed a reservation's result text, start or length: save and show it.
inline constexpr platform::UINT WM_RESERVATION_UPDATED = 0x472;
// A record thread released its reservation after a start move: plan it again soon.
inline constexpr platform::UINT WM_RESCHEDULE = 0x473;
// The timed EPG acquisition has finished: reload the EPG data files.
inline constexpr platform::UINT WM_EPG_ACQUIRED = 0x474;

}  // namespace timer_core
