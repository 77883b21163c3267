// The start of a slot's recording, on its record thread: in follow mode through the plug-in of
// the viewer the slot already runs, otherwise through a new viewer that records by itself.
#pragma once

#include <cstdint>
#include <optional>

#include "shared/shared_memory_block.h"
#include "timer_core/scheduling/rec_thread_slot.h"
#include "timer_core/scheduling/timer_manager.h"

namespace timer_core {

// Starts the recording of the slot's current reservation for its effective length (cut at a
// chained reservation that wins), `leadSeconds` before the reservation's start (negative: after
// it; by default StartSec + 5, when the record thread asks). The recording runs until EndSec
// after the end. Follow mode: publishes the record request under the slot's viewer in `block`
// (its margin makes the viewer record from now to that end) and asks the plug-in to record
// (0x43D, up to 11 posts 200 ms apart while the plug-in cannot be found), then for the programme
// text unless NoInfoLog. Otherwise: a viewer is started with the recording on its command line
// (-r with the lead and EndSec in whole minutes) and becomes the slot's viewer (0 when none
// could be started). `minutes` receives the length the thread plans with. 1, or 0 without a
// slot. Every pause ends when the slot is stopped.
int StartSlotRecording(int* minutes, TimerManager& manager, RecThreadSlot* slot,
                       shared::SharedMemoryBlock& block,
                       std::optional<std::int64_t> leadSeconds = std::nullopt);

}  // namespace timer_core
