// The EPG keyword search: runs one automatic-reservation condition over the schedule events of
// the store and adds every match to a result map. Keywords and programme texts are compared
// after folding (search_text.h); the genre, the weekday and start-time window and the services
// narrow the candidates. Only schedule events are searched, never present/following ones.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_time.h"
#include "timer_core/epg/auto_search_condition.h"
#include "timer_core/epg/epg_search_context.h"

namespace timer_core {

// One hit.
struct SearchResultEntry {
    std::uint16_t transportStreamId = 0;
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    // The event's start to the second, milliseconds 0; wDayOfWeek carries nothing (readers
    // derive the weekday from the date).
    platform::SYSTEMTIME start;
    platform::SYSTEMTIME end;  // start plus the duration's hours and minutes
    int duration = 0;          // minutes; the seconds of the duration are dropped
    std::wstring title;
    std::wstring serviceName;  // "0x%04X" of the service_id when the store lacks the service
    int priority = 0;          // of the condition that found it
    int follow = 0;
};

// The order of std::less<std::wstring> (character by character, a prefix first), compared in
// line: a search compares many of these eight-character keys, and a library call per
// comparison costs more than the comparison.
struct SearchKeyLess {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const {
        const std::size_t common = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < common; ++i) {
            if (a[i] != b[i]) return a[i] < b[i];
        }
        return a.size() < b.size();
    }
};

// Keyed "%04X%04X" with service_id and event_id, so hits run in service_id, then event_id
// order. A key that is present keeps its entry: when several conditions find one event, the
// first condition run decides its priority and follow.
using SearchResultMap = std::map<std::wstring, SearchResultEntry, SearchKeyLess>;

// Rebuilds the context's word lists from the condition and adds the condition's hits to the
// map. 0 when the context, the condition or the map is missing or the context has no store;
// else 1. An empty service key list, a start hour of -1 or -1 elsewhere in the window find
// nothing.
int SearchEpgByCondition(EpgSearchContext* context, const AutoSearchCondition* condition,
                         SearchResultMap* results);

// SearchEpgByCondition with each condition in turn (null ones passed over), into one map: the
// run of every stored condition, for less than the calls one by one cost. 0 when the context or
// the map is missing or the context has no store; else 1.
int SearchEpgByConditions(EpgSearchContext* context,
                          const std::vector<const AutoSearchCondition*>& conditions,
                          SearchResultMap* results);

// 1 when the folded text is not empty, contains every AND word of the context and none of its
// NOT words (exact comparison of the folded strings); else 0.
int MatchAllWords(std::wstring_view text, const EpgSearchContext& context);

}  // namespace timer_core
