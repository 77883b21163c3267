// The texts made from one programme: the display text of the window's programme edits (also the
// content of a recording's .program.txt) and the iEPG text published for other programs.
#pragma once

#include <string>
#include <string_view>

#include "broadcast/epg_records.h"
#include "platform/system_time.h"

namespace capture_plugin {

// The event's duration in seconds (its start: broadcast::EventStart).
std::uint32_t EventDurationSeconds(const broadcast::EpgEventRecord& event);

// The time range line, a blank line, the name, a blank line, the text, a blank line, the
// extended text and a closing blank line, with CR LF line ends.
std::wstring BuildProgramDisplayText(const broadcast::EpgEventRecord& event,
                                     const platform::SYSTEMTIME& start,
                                     const platform::SYSTEMTIME& end);

// The iEPG text (Shift-JIS, CR LF): content type, version, station, date, start and end time,
// title. The end carries no date, so an event past midnight ends "earlier" than it starts.
// Characters without a Shift-JIS form become "?". Returns 1 (0 only for a null output).
int BuildIepgText(std::string* out, const platform::SYSTEMTIME& start,
                  const platform::SYSTEMTIME& end, std::wstring_view title,
                  std::wstring_view station);

}  // namespace capture_plugin
