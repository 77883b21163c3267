// Working state of the keyword search. The caller makes one for a run of conditions over one
// store (the list dialog and the main window's automatic-reservation step run every stored
// condition with one context; the condition editor makes one per search); each search replaces
// the word lists.
//
// The context folds the search texts of a service's events the first time a condition searches
// that service and keeps them, with what each word was found in, so that a run of many
// conditions folds every text once and looks for a word in a text once. Results are the same as
// folding afresh for every condition as long as the store's content does not change while the
// context lives: a caller that reloads the store makes a new context (pointing the context at
// another store drops what it kept).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "broadcast/epg_store.h"
#include "timer_core/epg/text_signatures.h"

namespace timer_core {

// What the window and genre tests need of one schedule event, small so that a search reads
// the event record only for its hits.
struct EventFilterFields {
    std::int8_t weekday = -1;  // 0 = Sunday; -1 when the start is no valid date
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    bool otherGenres = false;  // a content entry holds a level-1 value above 15
    std::uint16_t genres = 0;  // bit n: a content entry has content_nibble_level_1 n
};

// Where the folded search text of one event lies in FoldedSchedule::texts.
struct FoldedText {
    const broadcast::EpgEventRecord* event = nullptr;
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    std::size_t offset = 0;
    std::size_t nameLength = 0;  // the folded name comes first
    std::size_t length = 0;      // name, text, and " " + extended text when there is one
    // The start is a valid time, and so the end (durations are below 11 days): the event can
    // become a reservation.
    bool validStart = false;
};

// Which texts of a schedule a word was looked for in, and which of them hold it, one bit per
// text: the conditions of a run often share words, and a text once looked into for a word need not
// be looked into again.
struct WordFindings {
    std::vector<std::uint64_t> looked;
    std::vector<std::uint64_t> found;
};

// The folded search texts of one service's schedule events, and what else the search tests of
// them, each vector in event_id order.
struct FoldedSchedule {
    const broadcast::ServiceScheduleRecord* source = nullptr;
    std::size_t sourceEvents = 0;
    std::vector<EventFilterFields> filters;
    TextSignatures signatures;  // of the whole search texts
    std::vector<FoldedText> events;
    std::wstring texts;

    std::size_t size() const { return events.size(); }

    // The name alone, or name, text and extended text.
    std::wstring_view SearchText(std::size_t i, bool titleOnly) const {
        const FoldedText& e = events[i];
        return std::wstring_view(texts).substr(e.offset, titleOnly ? e.nameLength : e.length);
    }

    // Whether a content entry of event i has the content_nibble_level_1 (not -1).
    bool HasGenre(std::size_t i, int genre) const;

    // What a word (EpgSearchContext::WordId) was found in so far.
    WordFindings& FindingsOf(std::size_t wordId);

    std::deque<WordFindings> findings;  // by word id; growing keeps what was handed out
};

FoldedSchedule FoldSchedule(const broadcast::ServiceScheduleRecord& schedule);

class EpgSearchContext {
  public:
    std::vector<std::wstring> andWords;          // folded AND words of the current condition
    std::vector<std::wstring> notWords;          // folded NOT words of the current condition
    const broadcast::EpgStore* store = nullptr;  // the EPG data to search; not owned

    // The folded texts of the service's schedule, folded on first use.
    FoldedSchedule& Folded(std::uint32_t serviceKey,
                           const broadcast::ServiceScheduleRecord& schedule);

    // The number under which the schedules keep what a folded word was found in: in the whole
    // search texts, or in the names alone.
    std::size_t WordId(const std::wstring& word, bool titleOnly);

  private:
    const broadcast::EpgStore* foldedStore_ = nullptr;
    std::unordered_map<std::uint32_t, FoldedSchedule> folded_;
    std::unordered_map<std::wstring, std::size_t> wordIds_[2];  // whole texts, names
    std::size_t wordCount_ = 0;
};

}  // namespace timer_core
