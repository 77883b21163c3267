// What span of broadcast time a recording holds: the first and the last time (TOT or TDT) in the
// transport stream file, as the broadcast stamped it (JST wall time).
#pragma once

#include <filesystem>
#include <optional>

#include "platform/system_time.h"

namespace tools {

struct BroadcastTimeSpan {
    platform::SYSTEMTIME first{};
    platform::SYSTEMTIME last{};
};

// nullopt when the file holds no time section (or cannot be read).
std::optional<BroadcastTimeSpan> ReadBroadcastTimeSpan(const std::filesystem::path& file);

// Seconds a recording is short of its programme, from the seconds the broadcast marked in it (0
// when it holds the whole programme; never negative). The programme runs `seconds` from `start`.
// Its first second must be in the file, and the stream must have reached its end; a recording
// that a chained one takes over `handOverSeconds` early stops as the clock passes that moment, so
// there the second before it is the last that must be whole.
struct RecordingShortfall {
    int atStart = 0;
    int atEnd = 0;
};
RecordingShortfall ShortfallOf(const BroadcastTimeSpan& span, const platform::SYSTEMTIME& start,
                               int seconds, int handOverSeconds);

}  // namespace tools
