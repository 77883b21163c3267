#include "timer_core/epg/epg_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cwchar>
#include <vector>

#include "timer_core/epg/search_result_keys.h"
#include "timer_core/epg/search_text.h"
#include "timer_core/epg/search_time.h"

namespace timer_core {
namespace {

// text.find(word) != npos, with the rest of the word compared in line after each occurrence of
// its first character (words are short, a call per occurrence costs more than the compare).
bool Contains(std::wstring_view text, std::wstring_view word) {
    if (word.empty()) return true;
    if (word.size() > text.size()) return false;
    const wchar_t* p = text.data();
    const wchar_t* const lastStart = text.data() + (text.size() - word.size());
    while (p <= lastStart) {
        p = std::wmemchr(p, word[0], static_cast<std::size_t>(lastStart - p) + 1);
        if (p == nullptr) return false;
        std::size_t i = 1;
        while (i < word.size() && p[i] == word[i])
            ++i;
        if (i == word.size()) return true;
        ++p;
    }
    return false;
}

// Whether text number `index` (that is `text`) holds the word, looked for only the first time.
bool Holds(WordFindings& findings, std::size_t index, std::wstring_view text,
           std::wstring_view word) {
    const std::size_t at = index / 64;
    const std::uint64_t bit = std::uint64_t{1} << (index % 64);
    if ((findings.looked[at] & bit) == 0) {
        findings.looked[at] |= bit;
        if (Contains(text, word)) findings.found[at] |= bit;
    }
    return (findings.found[at] & bit) != 0;
}

// The current condition's words with the signature columns each needs. Matching gives what
// MatchAllWords gives; the signatures only spare looking for words a text cannot contain.
class SearchWords {
  public:
    // titleOnly: the words are looked for in the names alone.
    SearchWords(EpgSearchContext& context, bool titleOnly) : context_(context) {
        for (const std::wstring& word : context.andWords) {
            andColumns_.push_back(TextSignatures::ColumnsOf(word));
            andIds_.push_back(context.WordId(word, titleOnly));
        }
        for (const std::wstring& word : context.notWords) {
            notColumns_.push_back(TextSignatures::ColumnsOf(word));
            notIds_.push_back(context.WordId(word, titleOnly));
        }
    }

    bool Empty() const { return context_.andWords.empty() && context_.notWords.empty(); }

    // One bit per text of the signatures: those that may contain every AND word.
    void Candidates(const TextSignatures& signatures, std::vector<std::uint64_t>* texts) const {
        signatures.AllTexts(texts);
        for (const TextSignatures::Columns& columns : andColumns_)
            signatures.Narrow(columns, texts);
    }

    // What the folded schedule has found of the AND words and of the NOT words so far.
    struct Findings {
        std::vector<WordFindings*> andWords;
        std::vector<WordFindings*> notWords;
    };
    void FindingsIn(FoldedSchedule& folded, Findings* findings) const {
        findings->andWords.clear();
        for (const std::size_t id : andIds_)
            findings->andWords.push_back(&folded.FindingsOf(id));
        findings->notWords.clear();
        for (const std::size_t id : notIds_)
            findings->notWords.push_back(&folded.FindingsOf(id));
    }

    // MatchAllWords of the search text (whole, or the name alone) of text number `index` of the
    // folded schedule; what the schedule has found of a word before is not looked for again.
    bool Match(const FoldedSchedule& folded, std::size_t index, bool titleOnly,
               const Findings& findings) const {
        const std::wstring_view text = folded.SearchText(index, titleOnly);
        if (text.empty()) return false;
        for (std::size_t i = 0; i < findings.andWords.size(); ++i) {
            if (!Holds(*findings.andWords[i], index, text, context_.andWords[i])) return false;
        }
        for (std::size_t i = 0; i < findings.notWords.size(); ++i) {
            // The signatures are of the whole search texts, which begin with the names: what a
            // name holds, they hold too.
            if (folded.signatures.MayContain(index, notColumns_[i]) &&
                Holds(*findings.notWords[i], index, text, context_.notWords[i])) {
                return false;
            }
        }
        return true;
    }

  private:
    const EpgSearchContext& context_;
    std::vector<TextSignatures::Columns> andColumns_;
    std::vector<TextSignatures::Columns> notColumns_;
    std::vector<std::size_t> andIds_;
    std::vector<std::size_t> notIds_;
};

// The key as a number: its text is the number's eight hexadecimal digits, so that the texts
// and the numbers have one order.
std::uint32_t KeyValue(std::uint16_t serviceId, std::uint16_t eventId) {
    return (static_cast<std::uint32_t>(serviceId) << 16) | eventId;
}

// "%04X%04X" of service_id and event_id.
std::array<wchar_t, 8> ResultKey(std::uint32_t value) {
    constexpr std::wstring_view kDigits = L"0123456789ABCDEF";
    std::array<wchar_t, 8> key;
    for (int i = 0; i < 8; ++i)
        key[static_cast<std::size_t>(i)] = kDigits[(value >> (28 - 4 * i)) & 0xF];
    return key;
}

std::wstring ServiceName(const broadcast::EpgStore& store, const broadcast::EpgEventRecord& e) {
    const auto it = store.services.find(broadcast::ServiceKey(e.transportStreamId, e.serviceId));
    if (it != store.services.end() && it->second) return it->second->serviceName;
    wchar_t name[8];
    std::swprintf(name, 8, L"0x%04X", e.serviceId);
    return name;
}

SearchResultEntry MakeEntry(const broadcast::EpgStore& store, const broadcast::EpgEventRecord& e,
                            const AutoSearchCondition& condition) {
    SearchResultEntry entry;
    entry.transportStreamId = e.transportStreamId;
    entry.serviceId = e.serviceId;
    entry.eventId = e.eventId;
    entry.start = broadcast::EventStart(e);
    entry.duration = e.durationHours * 60 + e.durationMinutes;
    entry.title = e.name;
    entry.serviceName = ServiceName(store, e);
    entry.priority = condition.priority;
    entry.follow = condition.follow;
    return entry;
}

// Adds the hits of one service to the map, each unless its key is present. The hits come in
// ascending key order, so each is looked for a few steps on from where the one before went
// before the map is searched.
class ServiceHits {
  public:
    ServiceHits(const broadcast::EpgStore& store, const AutoSearchCondition& condition,
                SearchResultMap* results)
        : store_(store), condition_(condition), results_(results), next_(results->end()) {}

    void Add(const FoldedText& hit) {
        const std::array<wchar_t, 8> digits = ResultKey(KeyValue(hit.serviceId, hit.eventId));
        const std::wstring_view key(digits.data(), digits.size());
        SeekTo(key);
        if (next_ != results_->end() && !SearchKeyLess()(key, next_->first)) return;  // equal
        SearchResultEntry entry = MakeEntry(store_, *hit.event, condition_);
        // An event whose start is no valid time cannot become a reservation.
        if (!AddMinutesToSystemTime(entry.duration, entry.start, &entry.end)) return;
        next_ = std::next(results_->emplace_hint(next_, std::wstring(key), std::move(entry)));
    }

  private:
    // Moves next_ to the first entry not below the key; every entry before next_ is below it.
    void SeekTo(std::wstring_view key) {
        if (!positioned_) {
            next_ = results_->lower_bound(key);
            positioned_ = true;
            return;
        }
        constexpr int kSteps = 4;
        for (int step = 0; step < kSteps; ++step) {
            if (next_ == results_->end() || !SearchKeyLess()(next_->first, key)) return;
            ++next_;
        }
        if (next_ != results_->end() && SearchKeyLess()(next_->first, key)) {
            next_ = results_->lower_bound(key);
        }
    }

    const broadcast::EpgStore& store_;
    const AutoSearchCondition& condition_;
    SearchResultMap* results_;
    SearchResultMap::iterator next_;
    bool positioned_ = false;  // next_ has been found for a first hit
};

// The hits of a run of many conditions into one map, where most hits are found again and again:
// those whose key is neither in the map (as SearchResultKeys tells) nor found before in the run,
// in the order found, to be put into the map at the end of the run.
class NewHits {
  public:
    struct Hit {
        std::uint32_t key = 0;  // KeyValue
        const broadcast::EpgEventRecord* event = nullptr;
        const AutoSearchCondition* condition = nullptr;  // the first that found it
    };

    NewHits(const AutoSearchCondition& condition, SearchResultKeys& known, std::vector<Hit>& found)
        : condition_(condition), known_(known), found_(found) {}

    void Add(const FoldedText& hit) {
        // An event whose start is no valid time cannot become a reservation, and leaves its key
        // to an event of another service with the same service_id.
        if (!hit.validStart || known_.Contains(hit.serviceId, hit.eventId)) return;
        known_.Insert(hit.serviceId, hit.eventId);
        found_.push_back({KeyValue(hit.serviceId, hit.eventId), hit.event, &condition_});
    }

    // Puts what the run found into the map, in key order, each behind the one before.
    static void Insert(const broadcast::EpgStore& store, std::vector<Hit>& found,
                       SearchResultMap* results) {
        std::sort(found.begin(), found.end(),
                  [](const Hit& a, const Hit& b) { return a.key < b.key; });
        for (const Hit& hit : found) {
            SearchResultEntry entry = MakeEntry(store, *hit.event, *hit.condition);
            if (!AddMinutesToSystemTime(entry.duration, entry.start, &entry.end)) continue;
            const std::array<wchar_t, 8> key = ResultKey(hit.key);
            results->emplace_hint(results->end(), std::wstring(key.data(), key.size()),
                                  std::move(entry));
        }
    }

  private:
    const AutoSearchCondition& condition_;
    SearchResultKeys& known_;
    std::vector<Hit>& found_;
};

// Calls `visit` with the number of every bit set, in ascending order.
template <class Visit>
void ForEachSetBit(const std::vector<std::uint64_t>& bits, Visit visit) {
    for (std::size_t word = 0; word < bits.size(); ++word) {
        for (std::uint64_t rest = bits[word]; rest != 0; rest &= rest - 1)
            visit(word * 64 + static_cast<std::size_t>(std::countr_zero(rest)));
    }
}

// What the search of one schedule needs for a while, kept for the next one.
struct ScheduleScratch {
    std::vector<std::uint64_t> candidates;
    SearchWords::Findings findings;
};

// Hands the hits of one service's schedule to `hits`, in event_id order.
template <class Hits>
void SearchSchedule(const SearchWords& words, const DayAndTimeWindow& window,
                    const AutoSearchCondition& condition, FoldedSchedule& folded,
                    ScheduleScratch& scratch, Hits& hits) {
    const auto passes = [&](std::size_t i) {
        const EventFilterFields& f = folded.filters[i];
        return window.Passes(f.weekday, f.hour, f.minute) &&
               (condition.genre == -1 || folded.HasGenre(i, condition.genre));
    };
    if (words.Empty()) {
        for (std::size_t i = 0; i < folded.size(); ++i) {
            if (passes(i)) hits.Add(folded.events[i]);
        }
        return;
    }
    // The signatures are of the whole search texts, which begin with the names: what a name
    // holds, they hold too.
    const bool titleOnly = condition.titleOnly == 1;
    words.FindingsIn(folded, &scratch.findings);
    words.Candidates(folded.signatures, &scratch.candidates);
    ForEachSetBit(scratch.candidates, [&](std::size_t i) {
        if (passes(i) && words.Match(folded, i, titleOnly, scratch.findings))
            hits.Add(folded.events[i]);
    });
}

// One condition over the store: `makeHits` gives what takes the hits of one service.
template <class MakeHits>
void SearchCondition(EpgSearchContext& context, const AutoSearchCondition& condition,
                     MakeHits makeHits) {
    const broadcast::EpgStore& store = *context.store;
    // Ascending as the store's keys, so that of two services with the same service_id the one
    // with the lower key enters the map first.
    std::vector<std::uint32_t> keys(condition.serviceKeys.begin(), condition.serviceKeys.end());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    context.andWords = SplitSearchWords(condition.andWords);
    context.notWords = SplitSearchWords(condition.notWords);
    if (condition.startHour == -1) return;
    const SearchWords words(context, condition.titleOnly == 1);
    const DayAndTimeWindow window(condition);
    ScheduleScratch scratch;
    for (std::uint32_t key : keys) {
        const auto schedule = store.schedules.find(key);
        if (schedule == store.schedules.end() || !schedule->second) continue;
        auto hits = makeHits();
        SearchSchedule(words, window, condition, context.Folded(key, *schedule->second), scratch,
                       hits);
    }
}

}  // namespace

int MatchAllWords(std::wstring_view text, const EpgSearchContext& context) {
    if (text.empty()) return 0;
    const auto contains = [text](const std::wstring& word) { return Contains(text, word); };
    return std::all_of(context.andWords.begin(), context.andWords.end(), contains) &&
                   std::none_of(context.notWords.begin(), context.notWords.end(), contains)
               ? 1
               : 0;
}

int SearchEpgByCondition(EpgSearchContext* context, const AutoSearchCondition* condition,
                         SearchResultMap* results) {
    if (context == nullptr || condition == nullptr || results == nullptr ||
        context->store == nullptr) {
        return 0;
    }
    SearchCondition(*context, *condition,
                    [&] { return ServiceHits(*context->store, *condition, results); });
    return 1;
}

int SearchEpgByConditions(EpgSearchContext* context,
                          const std::vector<const AutoSearchCondition*>& conditions,
                          SearchResultMap* results) {
    if (context == nullptr || results == nullptr || context->store == nullptr) return 0;
    SearchResultKeys known(*results);
    std::vector<NewHits::Hit> found;
    for (const AutoSearchCondition* condition : conditions) {
        if (condition == nullptr) continue;
        SearchCondition(*context, *condition, [&] { return NewHits(*condition, known, found); });
    }
    NewHits::Insert(*context->store, found, results);
    return 1;
}

}  // namespace timer_core
