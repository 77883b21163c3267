// The record request the timer publishes for the capture plug-in of a viewer (the REC object),
// and the recording's file name, which both the request and the viewer's own command line carry.
#pragma once

#include <string>

#include "shared/shared_memory_layouts.h"
#include "timer_core/reservations/reserve_entry.h"
#include "timer_core/scheduling/timer_settings.h"

namespace timer_core {

class TimerManager;

// "%s.ts" of the title (nameManual 1), else "%04d%02d%02d%02d%02d%d-%s.ts" of the start's year,
// month, day, hour and minute, the device index and the title; then sanitised, so that the name
// never holds a path separator and always lands in the viewer's recording folder.
std::wstring RecordingFileName(const ReserveEntry& entry, int nameManual, int deviceIndex);

// The request of a recording start: the file name (at most 511 UTF-16 units, a longer one cut in
// its title so that ".ts" stays), channel value, service id, event id, the start to the second,
// the minutes (one more when the seconds part of the length is not 0) and the margin StartSec +
// EndSec + 5 seconds; NoErrLog is left to the caller. Nothing is done without an entry or an
// output.
void BuildRecordRequest(const ReserveEntry* entry, shared::RecordRequest* out,
                        const TimerManager& manager, int deviceIndex);

// The time the record thread asks for a recording ahead of the programme: StartSec and this many
// seconds more, which a viewer takes to begin.
inline constexpr int kStartLeadSeconds = 5;

// The margin seconds of a follow-mode request. The plug-in has the viewer record minutes x 60 +
// margin - 5 seconds from the moment it begins; begun `leadSeconds` before the moment the minutes
// count from (negative: after it), the recording then ends EndSec after them. Never negative.
std::int32_t FollowMarginSeconds(std::int64_t leadSeconds, int endSec);

// The request the record thread keeps published in the final minute of follow mode: the same
// name, channel and programme, the minutes as stored, the NoErrLog setting and the margin
// StartSec + 5 seconds (the time it starts ahead of the programme).
shared::RecordRequest BuildFinalMinuteRequest(const ReserveEntry& entry,
                                              const TimerSettings& settings, int deviceIndex);

}  // namespace timer_core
