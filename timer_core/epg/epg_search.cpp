#include "timer_core/epg/epg_search.h"

#include <algorithm>
#include <cwchar>
#include <set>

#include "timer_core/epg/search_text.h"
#include "timer_core/epg/search_time.h"

namespace timer_core {
namespace {

bool Contains(std::wstring_view text, const std::wstring& word) {
    return text.find(word) != text.npos;
}

bool HasGenre(const broadcast::EpgEventRecord& event, int genre) {
    return std::any_of(event.contentEntries.begin(), event.contentEntries.end(),
                       [genre](const broadcast::EpgContentEntry& entry) {
                           return entry.contentNibbleLevel1 == genre;
                       });
}

std::wstring ServiceName(const broadcast::EpgStore& store, const broadcast::EpgEventRecord& e) {
    const auto it = store.services.find(broadcast::ServiceKey(e.transportStreamId, e.serviceId));
    if (it != store.services.end() && it->second) return it->second->serviceName;
    wchar_t name[8];
    std::swprintf(name, 8, L"0x%04X", e.serviceId);
    return name;
}

// Adds the event unless its key is present. An event whose start is no valid time cannot
// become a reservation and is left out.
void AddHit(const broadcast::EpgStore& store, const broadcast::EpgEventRecord& e,
            const AutoSearchCondition& condition, SearchResultMap* results) {
    wchar_t key[12];
    std::swprintf(key, 12, L"%04X%04X", e.serviceId, e.eventId);
    if (results->find(std::wstring_view(key)) != results->end()) return;
    SearchResultEntry entry;
    entry.transportStreamId = e.transportStreamId;
    entry.serviceId = e.serviceId;
    entry.eventId = e.eventId;
    entry.start = EventStartTime(e);
    entry.duration = e.durationHours * 60 + e.durationMinutes;
    if (!AddMinutesToSystemTime(entry.duration, entry.start, &entry.end)) return;
    entry.title = e.name;
    entry.serviceName = ServiceName(store, e);
    entry.priority = condition.priority;
    entry.follow = condition.follow;
    results->emplace(key, std::move(entry));
}

bool Matches(const EpgSearchContext& context, const AutoSearchCondition& condition,
             const FoldedSchedule& folded, const FoldedEvent& candidate) {
    const broadcast::EpgEventRecord& e = *candidate.event;
    if (!MatchWeekdayAndTime(condition, candidate.weekday, e.startHour, e.startMinute)) {
        return false;
    }
    if (condition.genre != -1 && !HasGenre(e, condition.genre)) return false;
    if (context.andWords.empty() && context.notWords.empty()) return true;
    return MatchAllWords(folded.SearchText(candidate, condition.titleOnly == 1), context) == 1;
}

}  // namespace

int MatchAllWords(std::wstring_view text, const EpgSearchContext& context) {
    if (text.empty()) return 0;
    for (const std::wstring& word : context.andWords) {
        if (!Contains(text, word)) return 0;
    }
    for (const std::wstring& word : context.notWords) {
        if (Contains(text, word)) return 0;
    }
    return 1;
}

int SearchEpgByCondition(EpgSearchContext* context, const AutoSearchCondition* condition,
                         SearchResultMap* results) {
    if (context == nullptr || condition == nullptr || results == nullptr ||
        context->store == nullptr) {
        return 0;
    }
    const broadcast::EpgStore& store = *context->store;
    // Ascending as the store's keys, so that of two services with the same service_id the one
    // with the lower key enters the map first.
    std::set<std::uint32_t> keys;
    for (int key : condition->serviceKeys)
        keys.insert(static_cast<std::uint32_t>(key));
    context->andWords = SplitSearchWords(condition->andWords);
    context->notWords = SplitSearchWords(condition->notWords);
    if (condition->startHour == -1) return 1;
    for (std::uint32_t key : keys) {
        const auto schedule = store.schedules.find(key);
        if (schedule == store.schedules.end() || !schedule->second) continue;
        const FoldedSchedule& folded = context->Folded(key, *schedule->second);
        for (const FoldedEvent& candidate : folded.events) {
            if (Matches(*context, *condition, folded, candidate)) {
                AddHit(store, *candidate.event, *condition, results);
            }
        }
    }
    return 1;
}

}  // namespace timer_core
