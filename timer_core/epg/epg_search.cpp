#include "timer_core/epg/epg_search.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <set>

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

// The current condition's words with the characters each needs. Matching gives what
// MatchAllWords gives; a text's signature only spares looking for words it cannot contain.
class SearchWords {
  public:
    explicit SearchWords(const EpgSearchContext& context) : context_(context) {
        for (const std::wstring& word : context.andWords)
            andSignatures_.emplace_back(word);
        for (const std::wstring& word : context.notWords)
            notSignatures_.emplace_back(word);
    }

    bool Empty() const { return context_.andWords.empty() && context_.notWords.empty(); }

    // `signature` is the text's, or null when not at hand.
    bool Match(std::wstring_view text, const CharacterSignature* signature) const {
        if (text.empty()) return false;
        for (std::size_t i = 0; i < andSignatures_.size(); ++i) {
            if (signature != nullptr && !signature->MayContain(andSignatures_[i])) return false;
            if (!Contains(text, context_.andWords[i])) return false;
        }
        for (std::size_t i = 0; i < notSignatures_.size(); ++i) {
            if (signature != nullptr && !signature->MayContain(notSignatures_[i])) continue;
            if (Contains(text, context_.notWords[i])) return false;
        }
        return true;
    }

  private:
    const EpgSearchContext& context_;
    std::vector<CharacterSignature> andSignatures_;
    std::vector<CharacterSignature> notSignatures_;
};

// "%04X%04X" of service_id and event_id.
std::array<wchar_t, 8> ResultKey(std::uint16_t serviceId, std::uint16_t eventId) {
    constexpr std::wstring_view kDigits = L"0123456789ABCDEF";
    const std::uint32_t value = (static_cast<std::uint32_t>(serviceId) << 16) | eventId;
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
        const std::array<wchar_t, 8> digits = ResultKey(hit.serviceId, hit.eventId);
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

bool Matches(const SearchWords& words, const DayAndTimeWindow& window,
             const AutoSearchCondition& condition, const FoldedSchedule& folded, std::size_t i) {
    const EventFilterFields& f = folded.filters[i];
    if (!window.Passes(f.weekday, f.hour, f.minute)) return false;
    if (condition.genre != -1 && !folded.HasGenre(i, condition.genre)) return false;
    if (words.Empty()) return true;
    const bool titleOnly = condition.titleOnly == 1;
    return words.Match(folded.SearchText(i, titleOnly),
                       titleOnly ? nullptr : &folded.signatures[i]);
}

}  // namespace

int MatchAllWords(std::wstring_view text, const EpgSearchContext& context) {
    return SearchWords(context).Match(text, nullptr) ? 1 : 0;
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
    const SearchWords words(*context);
    const DayAndTimeWindow window(*condition);
    for (std::uint32_t key : keys) {
        const auto schedule = store.schedules.find(key);
        if (schedule == store.schedules.end() || !schedule->second) continue;
        const FoldedSchedule& folded = context->Folded(key, *schedule->second);
        ServiceHits hits(store, *condition, results);
        const std::size_t count = folded.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (Matches(words, window, *condition, folded, i)) hits.Add(folded.events[i]);
        }
    }
    return 1;
}

}  // namespace timer_core
