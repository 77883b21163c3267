#include "timer_core/epg/epg_search_context.h"

#include <algorithm>

#include "timer_core/epg/search_text.h"
#include "timer_core/epg/search_time.h"

namespace timer_core {
namespace {

EventFilterFields FilterFields(const broadcast::EpgEventRecord& record) {
    EventFilterFields fields;
    fields.weekday = static_cast<std::int8_t>(WeekdayOfStart(broadcast::EventStart(record)));
    fields.hour = record.startHour;
    fields.minute = record.startMinute;
    for (const broadcast::EpgContentEntry& entry : record.contentEntries) {
        if (entry.contentNibbleLevel1 < 16) {
            fields.genres |= static_cast<std::uint16_t>(1u << entry.contentNibbleLevel1);
        } else {
            fields.otherGenres = true;
        }
    }
    return fields;
}

// Name, text and (after a space) the extended text, folded onto the end of `texts`.
FoldedText FoldText(const broadcast::EpgEventRecord& record, const std::wstring* extended,
                    std::wstring& texts) {
    FoldedText text;
    text.event = &record;
    text.serviceId = record.serviceId;
    text.eventId = record.eventId;
    text.offset = texts.size();
    AppendFoldedText(record.name, &texts);
    text.nameLength = texts.size() - text.offset;
    AppendFoldedText(record.text, &texts);
    if (extended != nullptr) {
        texts += L' ';
        AppendFoldedText(*extended, &texts);
    }
    text.length = texts.size() - text.offset;
    return text;
}

}  // namespace

bool FoldedSchedule::HasGenre(std::size_t i, int genre) const {
    if (filters[i].otherGenres) {
        const auto& entries = events[i].event->contentEntries;
        return std::any_of(entries.begin(), entries.end(),
                           [genre](const broadcast::EpgContentEntry& entry) {
                               return entry.contentNibbleLevel1 == genre;
                           });
    }
    return genre >= 0 && genre < 16 && (filters[i].genres >> genre & 1u) != 0;
}

WordFindings& FoldedSchedule::FindingsOf(std::size_t wordId) {
    if (wordId >= findings.size()) findings.resize(wordId + 1);
    WordFindings& found = findings[wordId];
    if (found.looked.empty()) {
        const std::size_t words = (size() + 63) / 64;
        found.looked.assign(words, 0);
        found.found.assign(words, 0);
    }
    return found;
}

FoldedSchedule FoldSchedule(const broadcast::ServiceScheduleRecord& schedule) {
    FoldedSchedule folded;
    folded.source = &schedule;
    folded.sourceEvents = schedule.events.size();
    std::size_t length = 0;
    std::size_t count = 0;
    for (const auto& [eventId, record] : schedule.events) {
        if (!record) continue;
        length += record->name.size() + record->text.size() + 1;
        ++count;
    }
    for (const auto& [eventId, text] : schedule.extendedTexts)
        length += text.size();
    folded.texts.reserve(length);
    folded.events.reserve(count);
    folded.filters.reserve(count);
    folded.signatures.Reset(count);
    // Both maps run in event_id order: the extended text of each event is found walking along.
    auto extended = schedule.extendedTexts.begin();
    for (const auto& [eventId, record] : schedule.events) {
        while (extended != schedule.extendedTexts.end() && extended->first < eventId)
            ++extended;
        if (!record) continue;
        const bool hasExtended =
            extended != schedule.extendedTexts.end() && extended->first == eventId;
        folded.events.push_back(
            FoldText(*record, hasExtended ? &extended->second : nullptr, folded.texts));
        folded.filters.push_back(FilterFields(*record));
        folded.events.back().validStart = folded.filters.back().weekday >= 0;
        // While the text just folded is at hand.
        folded.signatures.Add(folded.size() - 1, folded.SearchText(folded.size() - 1, false));
    }
    return folded;
}

FoldedSchedule& EpgSearchContext::Folded(std::uint32_t serviceKey,
                                         const broadcast::ServiceScheduleRecord& schedule) {
    if (foldedStore_ != store) {
        folded_.clear();
        foldedStore_ = store;
    }
    FoldedSchedule& folded = folded_[serviceKey];
    // A record that is plainly not the one folded (replaced, or grown by a capture) is folded
    // again; content changed in place is the caller's to avoid (see above).
    if (folded.source != &schedule || folded.sourceEvents != schedule.events.size()) {
        folded = FoldSchedule(schedule);
    }
    return folded;
}

std::size_t EpgSearchContext::WordId(const std::wstring& word, bool titleOnly) {
    const auto [id, added] = wordIds_[titleOnly ? 1 : 0].try_emplace(word, wordCount_);
    if (added) ++wordCount_;
    return id->second;
}

}  // namespace timer_core
