// Working state of the keyword search. The caller makes one for a run of conditions over one
// store (the list dialog and the main window's automatic-reservation step run every stored
// condition with one context; the condition editor makes one per search); each search replaces
// the word lists.
//
// The context folds the search texts of a service's events the first time a condition searches
// that service and keeps them, so that a run of many conditions folds every text once. Results
// are the same as folding afresh for every condition as long as the store's content does not
// change while the context lives: a caller that reloads the store makes a new context (pointing
// the context at another store drops what it kept).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "broadcast/epg_store.h"

namespace timer_core {

// The folded search text of one schedule event and what the window test needs of its start.
struct FoldedEvent {
    const broadcast::EpgEventRecord* event = nullptr;
    std::size_t offset = 0;      // into FoldedSchedule::texts
    std::size_t nameLength = 0;  // the folded name comes first
    std::size_t length = 0;      // name, text, and " " + extended text when there is one
    int weekday = -1;            // 0 = Sunday; -1 when the start is no valid date
};

// The folded search texts of one service's schedule events, in event_id order.
struct FoldedSchedule {
    const broadcast::ServiceScheduleRecord* source = nullptr;
    std::size_t sourceEvents = 0;
    std::wstring texts;
    std::vector<FoldedEvent> events;

    // The name alone, or name, text and extended text.
    std::wstring_view SearchText(const FoldedEvent& event, bool titleOnly) const {
        return std::wstring_view(texts).substr(event.offset,
                                               titleOnly ? event.nameLength : event.length);
    }
};

FoldedSchedule FoldSchedule(const broadcast::ServiceScheduleRecord& schedule);

class EpgSearchContext {
  public:
    std::vector<std::wstring> andWords;          // folded AND words of the current condition
    std::vector<std::wstring> notWords;          // folded NOT words of the current condition
    const broadcast::EpgStore* store = nullptr;  // the EPG data to search; not owned

    // The folded texts of the service's schedule, folded on first use.
    const FoldedSchedule& Folded(std::uint32_t serviceKey,
                                 const broadcast::ServiceScheduleRecord& schedule);

  private:
    const broadcast::EpgStore* foldedStore_ = nullptr;
    std::unordered_map<std::uint32_t, FoldedSchedule> folded_;
};

}  // namespace timer_core
