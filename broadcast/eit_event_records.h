// From parsed EIT sections to EPG event records: the fields of one event, its extended text,
// and the time span of a section's events. Shared by the capture contexts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "broadcast/eit_section.h"
#include "broadcast/epg_records.h"

namespace broadcast {

// A new event record from the section header and the event: ids, start, duration and what its
// short event, event group, component, audio component and content descriptors say; the
// extended text only when `withExtendedText` (present/following events).
std::unique_ptr<EpgEventRecord> BuildEpgEventRecord(const EitSection& section,
                                                    const EitEventEntry& event,
                                                    bool withExtendedText);

// The items of all extended event descriptors of the event, in order, as
// "description\r\ntext\r\ndescription\r\ntext"; an item without a description continues the
// text of the one before it.
std::wstring BuildExtendedEventText(const EitEventEntry& event);

// Decoded ARIB text of `length` bytes, taken up to the first zero byte; empty when nothing
// decodes.
std::wstring DecodeAribField(const std::uint8_t* bytes, std::size_t length);

// FILETIME (broadcast local time, no zone conversion) of the start of the section's first event.
// Returns 1, or 0 with *out = 0 when the section has no event or the start is no valid time.
int GetEitFirstEventStart(const EitSection* section, std::uint64_t* out);

// FILETIME of the end (start plus duration) of the section's last event; 1, or 0 with *out = 0
// as above.
int GetEitLastEventEnd(const EitSection* section, std::uint64_t* out);

}  // namespace broadcast
