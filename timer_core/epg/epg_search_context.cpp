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

// Name, text and (after a space) the extended text, folded onto the end of `texts`, their
// characters into the signature.
FoldedText FoldText(const broadcast::EpgEventRecord& record, const std::wstring* extended,
                    std::wstring& texts, CharacterSignature* signature) {
    FoldedText text;
    text.event = &record;
    text.serviceId = record.serviceId;
    text.eventId = record.eventId;
    text.offset = texts.size();
    AppendFoldedText(record.name, &texts, signature);
    text.nameLength = texts.size() - text.offset;
    AppendFoldedText(record.text, &texts, signature);
    if (extended != nullptr) {
        texts += L' ';
        signature->Add(L' ');
        AppendFoldedText(*extended, &texts, signature);
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

FoldedSchedule FoldSchedule(const broadcast::ServiceScheduleRecord& schedule) {
    FoldedSchedule folded;
    folded.source = &schedule;
    folded.sourceEvents = schedule.events.size();
    std::size_t length = 0;
    for (const auto& [eventId, record] : schedule.events)
        length += record ? record->name.size() + record->text.size() + 1 : 0;
    for (const auto& [eventId, text] : schedule.extendedTexts)
        length += text.size();
    folded.texts.reserve(length);
    folded.events.reserve(schedule.events.size());
    folded.signatures.reserve(schedule.events.size());
    folded.filters.reserve(schedule.events.size());
    for (const auto& [eventId, record] : schedule.events) {
        if (!record) continue;
        const auto extended = schedule.extendedTexts.find(eventId);
        folded.events.push_back(FoldText(
            *record, extended != schedule.extendedTexts.end() ? &extended->second : nullptr,
            folded.texts, &folded.signatures.emplace_back()));
        folded.filters.push_back(FilterFields(*record));
    }
    return folded;
}

const FoldedSchedule& EpgSearchContext::Folded(std::uint32_t serviceKey,
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

}  // namespace timer_core
