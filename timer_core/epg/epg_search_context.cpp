#include "timer_core/epg/epg_search_context.h"

#include "timer_core/epg/search_text.h"
#include "timer_core/epg/search_time.h"

namespace timer_core {

FoldedSchedule FoldSchedule(const broadcast::ServiceScheduleRecord& schedule) {
    FoldedSchedule folded;
    folded.source = &schedule;
    folded.sourceEvents = schedule.events.size();
    folded.events.reserve(schedule.events.size());
    for (const auto& [eventId, record] : schedule.events) {
        if (!record) continue;
        FoldedEvent event;
        event.event = record.get();
        event.offset = folded.texts.size();
        AppendFoldedText(record->name, &folded.texts);
        event.nameLength = folded.texts.size() - event.offset;
        AppendFoldedText(record->text, &folded.texts);
        const auto extended = schedule.extendedTexts.find(eventId);
        if (extended != schedule.extendedTexts.end()) {
            folded.texts += L' ';
            AppendFoldedText(extended->second, &folded.texts);
        }
        event.length = folded.texts.size() - event.offset;
        event.weekday = WeekdayOfStart(EventStartTime(*record));
        folded.events.push_back(event);
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
