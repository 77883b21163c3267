#include "timer_core/epg/epg_search.h"

#include <gtest/gtest.h>

#include <climits>
#include <cwctype>
#include <random>
#include <set>

#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "tests/support/epg_test_store.h"
#include "timer_core/epg/search_tables.h"
#include "timer_core/epg/search_text.h"
#include "timer_core/epg/search_time.h"

namespace timer_core {
namespace {

using broadcast_sim::JstTime;
using broadcast_sim::ToTimeValue;
using test_support::AddEvent;
using test_support::StoreEvent;

constexpr std::uint16_t kTsid = 0x7FE0;
constexpr std::uint16_t kSid = 0x0400;
const int kKey = static_cast<int>(broadcast::ServiceKey(kTsid, kSid));

AutoSearchCondition AnyTime(const std::wstring& andWords, const std::wstring& notWords = L"") {
    AutoSearchCondition c;
    c.andWords = andWords;
    c.notWords = notWords;
    c.genre = -1;
    c.weekdays = {1, 1, 1, 1, 1, 1, 1};
    c.serviceKeys = {kKey};
    c.priority = 3;
    c.follow = 1;
    return c;
}

class EpgSearchTest : public ::testing::Test {
  protected:
    EpgSearchTest() {
        test_support::AddService(store, kTsid, kSid, L"みなと総合");
        context.store = &store;
    }

    void Add(std::uint16_t id, const std::wstring& name, const std::wstring& text = L"",
             std::optional<std::wstring> extended = std::nullopt) {
        StoreEvent e;
        e.eventId = id;
        e.name = name;
        e.text = text;
        e.extended = std::move(extended);
        AddEvent(store, kTsid, kSid, e);
    }

    // The event_ids the condition finds, in key order.
    std::vector<int> Find(const AutoSearchCondition& c) {
        SearchResultMap results;
        EXPECT_EQ(SearchEpgByCondition(&context, &c, &results), 1);
        std::vector<int> ids;
        for (const auto& [key, entry] : results)
            ids.push_back(entry.eventId);
        return ids;
    }

    broadcast::EpgStore store;
    EpgSearchContext context;
};

TEST(SearchTextTest, FoldsExactlyTheTableOfCharacters) {
    std::wstring out;
    EXPECT_EQ(NormaliseSearchText(L"", &out), 0);
    EXPECT_TRUE(out.empty());
    ASSERT_EQ(NormaliseSearchText(L"azAZ09ａｚ―!?.+-*/", &out), 1);
    EXPECT_EQ(out, L"ＡＺＡＺ０９ＡＺー！？．＋－＊／");
    // Everything else stays: full-width digits and capitals, kana, kanji, both spaces, other
    // signs of either width, half-width katakana.
    const std::wstring kept = L"０９ＡＺあア漢 　#~_=:;,@ｰｱﾝ＃～ー－，";
    ASSERT_EQ(NormaliseSearchText(kept, &out), 1);
    EXPECT_EQ(out, kept);
    for (wchar_t c = 0; c < 0x80; ++c) {
        const bool folded = std::iswalnum(c) || std::wstring_view(L"!?.+-*/").find(c) != out.npos;
        EXPECT_EQ(FoldSearchChar(c) != c, folded) << static_cast<int>(c);
    }
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(FullWidthDigitTable[n], std::wstring(1, static_cast<wchar_t>(0xFF10 + n)));
    for (int n = 0; n < 26; ++n)
        EXPECT_EQ(FullWidthLetterTable[n], std::wstring(1, static_cast<wchar_t>(0xFF21 + n)));
    EXPECT_EQ(GenreNameTable[6], L"映画");
    EXPECT_EQ(GenreNameTable[11], L"福祉");
}

TEST(SearchTextTest, SpacesOfEitherWidthSplitWordsAndNoWordIsEmpty) {
    const std::vector<std::wstring> ab = {L"Ａ", L"Ｂ"};
    EXPECT_EQ(SplitSearchWords(L"a　b"), ab);
    EXPECT_EQ(SplitSearchWords(L"a  b"), ab);
    EXPECT_EQ(SplitSearchWords(L" 　a b　 "), ab);
    EXPECT_TRUE(SplitSearchWords(L" 　 ").empty());
    EXPECT_EQ(SplitSearchWords(L"a\tb"), std::vector<std::wstring>{L"Ａ\tＢ"});
}

TEST_F(EpgSearchTest, KeywordsMatchAcrossCaseAndWidth) {
    Add(1, L"ＺＸＱスペシャル");
    Add(2, L"zXq講座");
    Add(3, L"紀行12");
    Add(4, L"ニュースー");
    Add(5, L"ＺＸ Ｑ");
    EXPECT_EQ(Find(AnyTime(L"zxq")), (std::vector<int>{1, 2}));
    EXPECT_EQ(Find(AnyTime(L"ＺＸＱ")), (std::vector<int>{1, 2}));
    EXPECT_EQ(Find(AnyTime(L"ｚｘｑ")), (std::vector<int>{1, 2}));
    EXPECT_EQ(Find(AnyTime(L"１２")), std::vector<int>{3});
    EXPECT_EQ(Find(AnyTime(L"ス―")), std::vector<int>{4});
    // Every word must occur, each anywhere.
    EXPECT_EQ(Find(AnyTime(L"q　z")), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(Find(AnyTime(L"q z 講座")), std::vector<int>{2});
    EXPECT_EQ(Find(AnyTime(L"q", L"スペシャル ｚｘ")), std::vector<int>{});
    EXPECT_EQ(Find(AnyTime(L"q", L"スペシャル")), (std::vector<int>{2, 5}));
}

TEST_F(EpgSearchTest, SearchTextJoinsNameTextAndExtendedText) {
    Add(1, L"朝の", L"光");          // name and text run together
    Add(2, L"朝の", L"", L"光");     // a space before the extended text
    Add(3, L"旅", L"", L"");         // an empty extended text still adds the space
    Add(4, L"", L"", std::nullopt);  // nothing to search
    Add(5, L"", L"", L"");           // just the space
    EXPECT_EQ(Find(AnyTime(L"朝の光")), std::vector<int>{1});
    EXPECT_EQ(Find(AnyTime(L"光")), (std::vector<int>{1, 2}));
    EXPECT_EQ(Find(AnyTime(L"", L"朝")), (std::vector<int>{3, 5}));
    // Title only: the text and the extended text are not searched.
    AutoSearchCondition titleOnly = AnyTime(L"光");
    titleOnly.titleOnly = 1;
    EXPECT_EQ(Find(titleOnly), std::vector<int>{});
    titleOnly.andWords = L"";
    titleOnly.notWords = L"旅";
    EXPECT_EQ(Find(titleOnly), (std::vector<int>{1, 2}));  // 4 and 5 have no name
    titleOnly.titleOnly = 2;                               // only 1 means title only
    titleOnly.andWords = L"光";
    titleOnly.notWords = L"";
    EXPECT_EQ(Find(titleOnly), (std::vector<int>{1, 2}));
}

TEST_F(EpgSearchTest, WithoutWordsEveryEventOfTheGenreIsFound) {
    StoreEvent e;
    for (std::uint16_t id = 1; id <= 4; ++id) {
        e.eventId = id;
        e.genres = id == 1   ? std::vector<std::uint8_t>{6}
                   : id == 2 ? std::vector<std::uint8_t>{0, 6}
                             : std::vector<std::uint8_t>{3};
        if (id == 4) e.genres.clear();
        AddEvent(store, kTsid, kSid, e);  // no name, no text
    }
    AutoSearchCondition c = AnyTime(L"");
    c.genre = 6;
    EXPECT_EQ(Find(c), (std::vector<int>{1, 2}));
    c.genre = -1;
    EXPECT_EQ(Find(c), (std::vector<int>{1, 2, 3, 4}));
    c.genre = 0;
    EXPECT_EQ(Find(c), std::vector<int>{2});
}

TEST(MatchDayAndTimeTest, WindowsAndWeekdays) {
    AutoSearchCondition c = AnyTime(L"");
    c.startHour = 23;
    c.endHour = 2;
    const auto at = [&](int hour, int minute) {
        return MatchDayAndTime(c, JstTime(2024, 5, 6, hour, minute));
    };
    EXPECT_EQ(at(23, 0), 1);
    EXPECT_EQ(at(0, 30), 1);
    EXPECT_EQ(at(2, 0), 1);
    EXPECT_EQ(at(2, 1), 0);
    EXPECT_EQ(at(22, 59), 0);
    c.startHour = c.endHour = 19;
    EXPECT_EQ(at(0, 0), 1);
    EXPECT_EQ(at(23, 59), 1);
    c.startHour = 19;
    c.endHour = 21;
    EXPECT_EQ(at(19, 0), 1);
    EXPECT_EQ(at(21, 0), 1);
    EXPECT_EQ(at(21, 1), 0);
    EXPECT_EQ(at(18, 59), 0);

    // 2024-05-06 is a Monday, 2024-05-12 a Sunday (the seventh flag).
    c.weekdays = {1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(MatchDayAndTime(c, JstTime(2024, 5, 6, 20, 0)), 1);
    EXPECT_EQ(MatchDayAndTime(c, JstTime(2024, 5, 12, 20, 0)), 0);
    c.weekdays = {0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(MatchDayAndTime(c, JstTime(2024, 5, 12, 20, 0)), 1);
    EXPECT_EQ(MatchDayAndTime(c, JstTime(2024, 5, 11, 20, 0)), 0);
    c.weekdays = {};
    EXPECT_EQ(MatchDayAndTime(c, JstTime(2024, 5, 12, 20, 0)), 0);
    // A start that is no date passes only when every weekday is allowed.
    platform::SYSTEMTIME bad = JstTime(2024, 5, 6, 20, 0);
    bad.wMonth = 13;
    c.weekdays = {1, 1, 1, 1, 1, 1, 0};
    EXPECT_EQ(MatchDayAndTime(c, bad), 0);
    c.weekdays = {1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(MatchDayAndTime(c, bad), 1);

    for (int* field : {&c.startMinute, &c.endHour, &c.endMinute}) {
        const int kept = *field;
        *field = -1;
        EXPECT_EQ(MatchDayAndTime(c, JstTime(2024, 5, 6, 20, 0)), 0);
        *field = kept;
    }
    // Numbers of a hand-edited file do not overflow.
    c.startHour = INT_MAX;
    c.endHour = INT_MIN;
    EXPECT_EQ(MatchDayAndTime(c, JstTime(2024, 5, 6, 20, 0)), 0);
}

TEST_F(EpgSearchTest, WindowTestsOnlyTheStartAndAStartHourOfMinusOneFindsNothing) {
    StoreEvent e;
    e.name = L"深夜便";
    e.eventId = 1;
    e.start = JstTime(2024, 5, 6, 22, 30);
    e.minutes = 120;  // runs into the window
    AddEvent(store, kTsid, kSid, e);
    e.eventId = 2;
    e.start = JstTime(2024, 5, 7, 1, 59);
    AddEvent(store, kTsid, kSid, e);
    AutoSearchCondition c = AnyTime(L"深夜");
    c.startHour = 23;
    c.endHour = 2;
    EXPECT_EQ(Find(c), std::vector<int>{2});
    c.startHour = -1;
    EXPECT_EQ(Find(c), std::vector<int>{});
    c.endHour = c.startHour = 0;
    c.startMinute = -1;
    EXPECT_EQ(Find(c), std::vector<int>{});
}

TEST_F(EpgSearchTest, HitCarriesTheEventAndTheConditionsSettings) {
    StoreEvent e;
    e.eventId = 0x1A2B;
    e.name = L"映画「遠い海」";
    e.start = JstTime(2024, 12, 31, 23, 30, 15);
    e.minutes = 90;
    AddEvent(store, kTsid, kSid, e).durationSeconds = 59;
    SearchResultMap results;
    AutoSearchCondition c = AnyTime(L"遠い");
    ASSERT_EQ(SearchEpgByCondition(&context, &c, &results), 1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results.begin()->first, L"04001A2B");
    const SearchResultEntry& hit = results.begin()->second;
    EXPECT_EQ(hit.transportStreamId, kTsid);
    EXPECT_EQ(hit.serviceId, kSid);
    EXPECT_EQ(hit.eventId, 0x1A2B);
    EXPECT_EQ(ToTimeValue(hit.start), ToTimeValue(JstTime(2024, 12, 31, 23, 30, 15)));
    EXPECT_EQ(hit.start.wMilliseconds, 0);
    EXPECT_EQ(hit.duration, 90);  // the seconds of the length are dropped
    EXPECT_EQ(ToTimeValue(hit.end), ToTimeValue(JstTime(2025, 1, 1, 1, 0, 15)));
    EXPECT_EQ(hit.end.wDayOfWeek, 3);  // filled: a Wednesday
    EXPECT_EQ(hit.title, L"映画「遠い海」");
    EXPECT_EQ(hit.serviceName, L"みなと総合");
    EXPECT_EQ(hit.priority, 3);
    EXPECT_EQ(hit.follow, 1);

    store.services.clear();
    results.clear();
    SearchEpgByCondition(&context, &c, &results);
    EXPECT_EQ(results.begin()->second.serviceName, L"0x0400");
}

TEST_F(EpgSearchTest, TwoConditionsFindingOneEventGiveOneEntryOfTheFirst) {
    Add(1, L"プロ野球中継");
    Add(2, L"みなと野球便り");
    SearchResultMap results;
    AutoSearchCondition first = AnyTime(L"中継");
    first.priority = 5;
    first.follow = 0;
    const AutoSearchCondition second = AnyTime(L"野球");
    ASSERT_EQ(SearchEpgByCondition(&context, &first, &results), 1);
    ASSERT_EQ(SearchEpgByCondition(&context, &second, &results), 1);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results.at(L"04000001").priority, 5);
    EXPECT_EQ(results.at(L"04000001").follow, 0);
    EXPECT_EQ(results.at(L"04000002").priority, 3);
    EXPECT_EQ(context.andWords, std::vector<std::wstring>{L"野球"});
}

TEST_F(EpgSearchTest, OnlyTheChosenServicesAndOnlyScheduleEventsAreSearched) {
    Add(1, L"天気");
    // The same service_id on another stream: its key sorts after, so its event of the same id
    // does not replace the first.
    StoreEvent other;
    other.eventId = 1;
    other.name = L"天気予報";
    AddEvent(store, kTsid + 1, kSid, other);
    other.eventId = 2;
    AddEvent(store, kTsid + 1, kSid, other);
    auto& pf = store.presentFollowing[static_cast<std::uint32_t>(kKey)];
    pf = std::make_unique<broadcast::EventMapHolder>();
    pf->events[3] = std::make_unique<broadcast::EpgEventRecord>();
    pf->events[3]->name = L"天気";

    AutoSearchCondition c = AnyTime(L"天気");
    EXPECT_EQ(Find(c), std::vector<int>{1});
    c.serviceKeys = {static_cast<int>(broadcast::ServiceKey(kTsid + 1, kSid)), kKey, kKey};
    SearchResultMap results;
    ASSERT_EQ(SearchEpgByCondition(&context, &c, &results), 1);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results.at(L"04000001").transportStreamId, kTsid);
    EXPECT_EQ(results.at(L"04000001").title, L"天気");
    EXPECT_EQ(results.at(L"04000002").serviceName, L"0x0400");
    c.serviceKeys.clear();
    EXPECT_EQ(Find(c), std::vector<int>{});
    c.serviceKeys = {12345};
    EXPECT_EQ(Find(c), std::vector<int>{});

    EXPECT_EQ(SearchEpgByCondition(nullptr, &c, &results), 0);
    EXPECT_EQ(SearchEpgByCondition(&context, nullptr, &results), 0);
    EXPECT_EQ(SearchEpgByCondition(&context, &c, nullptr), 0);
    EpgSearchContext empty;
    EXPECT_EQ(SearchEpgByCondition(&empty, &c, &results), 0);
}

TEST(AddMinutesTest, AddsThroughFileTime) {
    platform::SYSTEMTIME out;
    ASSERT_EQ(AddMinutesToSystemTime(24 * 60 + 1, JstTime(2024, 2, 28, 23, 59), &out), 1);
    EXPECT_EQ(out.wMonth, 3);
    EXPECT_EQ(out.wDay, 1);  // 2024 is a leap year: Feb 29 23:59 + 1 minute
    EXPECT_EQ(out.wHour, 0);
    EXPECT_EQ(out.wMinute, 0);
    platform::SYSTEMTIME bad = JstTime(2024, 2, 28);
    bad.wHour = 25;
    EXPECT_EQ(AddMinutesToSystemTime(1, bad, &out), 0);
    EXPECT_EQ(WeekdayOfStart(bad), -1);
    // The weekday of the first and last day of every month of some years, leap years and
    // century years among them, up to the last year FILETIME holds.
    for (const int year : {1601, 1900, 2000, 2023, 2024, 2100, 30827}) {
        for (int month = 1; month <= 12; ++month) {
            for (const int day : {1, platform::DaysInMonth(year, month)}) {
                EXPECT_EQ(WeekdayOfStart(JstTime(year, month, day)),
                          platform::DayOfWeek(year, month, day));
            }
        }
    }
}

// The plain way, every text folded afresh for every condition: the reference that the
// context's folded texts must reproduce exactly.
void ReferenceSearch(const broadcast::EpgStore& store, const AutoSearchCondition& c,
                     SearchResultMap* results) {
    EpgSearchContext words;
    words.andWords = SplitSearchWords(c.andWords);
    words.notWords = SplitSearchWords(c.notWords);
    std::set<std::uint32_t> keys;
    for (int key : c.serviceKeys)
        keys.insert(static_cast<std::uint32_t>(key));
    for (const auto& [key, schedule] : store.schedules) {
        if (!keys.contains(key)) continue;
        for (const auto& [id, e] : schedule->events) {
            const platform::SYSTEMTIME start = broadcast::EventStart(*e);
            if (c.startHour == -1 || !MatchDayAndTime(c, start)) continue;
            if (c.genre != -1 && std::none_of(e->contentEntries.begin(), e->contentEntries.end(),
                                              [&](const auto& entry) {
                                                  return entry.contentNibbleLevel1 == c.genre;
                                              })) {
                continue;
            }
            if (!words.andWords.empty() || !words.notWords.empty()) {
                std::wstring text = e->name;
                if (c.titleOnly != 1) {
                    text += e->text;
                    if (schedule->extendedTexts.contains(id))
                        text += L" " + schedule->extendedTexts.at(id);
                }
                std::wstring folded;
                if (!NormaliseSearchText(text, &folded) || !MatchAllWords(folded, words)) continue;
            }
            platform::SYSTEMTIME end;
            if (!AddMinutesToSystemTime(e->durationHours * 60 + e->durationMinutes, start, &end)) {
                continue;  // no reservation can be made of it
            }
            SearchResultEntry entry;
            entry.eventId = e->eventId;
            entry.serviceId = e->serviceId;
            entry.transportStreamId = e->transportStreamId;
            entry.priority = c.priority;
            wchar_t k[12];
            std::swprintf(k, 12, L"%04X%04X", e->serviceId, e->eventId);
            results->try_emplace(k, entry);
        }
    }
}

// Invented texts from a small vocabulary in mixed widths, random windows, weekdays, genres,
// words and services: one context running every condition over the store (and then over a
// second store) finds exactly what folding afresh finds.
TEST(EpgSearchCacheTest, FoldedTextsGiveTheSameResultsAsFoldingAfresh) {
    std::mt19937 random(14);
    const std::vector<std::wstring> pieces = {L"ドラマ", L"ﾄﾞﾗﾏ", L"abc", L"ＡＢＣ", L"Ab",
                                              L"12",     L"１２", L"―",   L"ー",     L"再",
                                              L" ",      L"　",   L"!?",  L"！？",   L"旅"};
    const auto phrase = [&](int most) {
        std::wstring text;
        for (int n = static_cast<int>(random() % (most + 1)); n > 0; --n)
            text += pieces[random() % pieces.size()];
        return text;
    };
    // Four services, and a fifth with the first one's service_id in another stream; now and then
    // a programme whose start is no time.
    const std::vector<std::pair<std::uint16_t, std::uint16_t>> services = {
        {2, 1}, {1, 2}, {2, 3}, {1, 4}, {3, 1}};
    const auto makeStore = [&](broadcast::EpgStore& store) {
        for (const auto& [tsid, sid] : services) {
            for (std::uint16_t id = 1; id <= 150; ++id) {
                StoreEvent e;
                e.eventId = id;
                e.start = JstTime(2024, 5, 1 + static_cast<int>(random() % 14),
                                  static_cast<int>(random() % 24), static_cast<int>(random() % 60));
                if (random() % 25 == 0) e.start.wMonth = 13;
                e.name = phrase(3);
                e.text = phrase(4);
                if (random() % 2) e.extended = phrase(6);
                e.genres = {static_cast<std::uint8_t>(random() % 12)};
                AddEvent(store, tsid, sid, e);
            }
        }
    };
    broadcast::EpgStore first, second;
    makeStore(first);
    makeStore(second);
    std::vector<AutoSearchCondition> conditions;
    for (int i = 0; i < 300; ++i) {
        AutoSearchCondition c;
        c.andWords = phrase(2);
        c.notWords = random() % 3 ? L"" : phrase(1);
        c.titleOnly = static_cast<int>(random() % 3);
        c.genre = random() % 2 ? -1 : static_cast<int>(random() % 12);
        c.startHour = static_cast<int>(random() % 25) - 1;
        c.startMinute = static_cast<int>(random() % 60);
        c.endHour = static_cast<int>(random() % 24);
        c.endMinute = static_cast<int>(random() % 60);
        for (int& flag : c.weekdays)
            flag = random() % 4 ? 1 : 0;
        for (const auto& [tsid, sid] : services) {
            if (random() % 2)
                c.serviceKeys.push_back(static_cast<int>(broadcast::ServiceKey(tsid, sid)));
        }
        c.priority = i;
        conditions.push_back(c);
    }
    EpgSearchContext context;
    std::size_t hits = 0;
    const auto keysOf = [](const SearchResultMap& map) {
        std::vector<std::wstring> keys;
        for (const auto& [key, entry] : map)
            keys.push_back(key);
        return keys;
    };
    for (broadcast::EpgStore* store : {&first, &second}) {
        context.store = store;
        SearchResultMap allCached, allReference;
        for (const AutoSearchCondition& c : conditions) {
            SearchResultMap cached, reference;
            ASSERT_EQ(SearchEpgByCondition(&context, &c, &cached), 1);
            ReferenceSearch(*store, c, &reference);
            ASSERT_EQ(keysOf(cached), keysOf(reference)) << "condition " << c.priority;
            hits += cached.size();
            SearchEpgByCondition(&context, &c, &allCached);
            ReferenceSearch(*store, c, &allReference);
        }
        ASSERT_EQ(keysOf(allCached), keysOf(allReference));
        // One run of every condition (with a new context, and with the one that has searched
        // them all before) finds the same, the first finder of each hit deciding its priority.
        std::vector<const AutoSearchCondition*> run;
        for (const AutoSearchCondition& c : conditions)
            run.push_back(&c);
        run.insert(run.begin() + 7, nullptr);
        EpgSearchContext fresh;
        fresh.store = store;
        SearchResultMap freshRun, reusedRun;
        ASSERT_EQ(SearchEpgByConditions(&fresh, run, &freshRun), 1);
        ASSERT_EQ(SearchEpgByConditions(&context, run, &reusedRun), 1);
        ASSERT_EQ(keysOf(freshRun), keysOf(allReference));
        ASSERT_EQ(keysOf(reusedRun), keysOf(allReference));
        for (const auto& [key, entry] : allReference) {
            EXPECT_EQ(allCached.at(key).priority, entry.priority);
            EXPECT_EQ(allCached.at(key).transportStreamId, entry.transportStreamId);
            EXPECT_EQ(freshRun.at(key).priority, entry.priority);
            EXPECT_EQ(freshRun.at(key).transportStreamId, entry.transportStreamId);
            EXPECT_EQ(reusedRun.at(key).priority, entry.priority);
        }
    }
    EXPECT_GT(hits, 1000u);  // the conditions do find things
}

// A run into a map that holds entries already keeps them and adds the others, as the calls one
// by one do: keys of other forms are no hit's key.
TEST_F(EpgSearchTest, ARunKeepsWhatTheMapHeldAndAddsTheRest) {
    for (std::uint16_t id = 1; id <= 40; ++id)
        Add(id, id % 2 ? L"港町ニュース" : L"港町ドラマ");
    const AutoSearchCondition news = AnyTime(L"ニュース");
    AutoSearchCondition harbour = AnyTime(L"港町");
    harbour.priority = 4;
    SearchResultMap held;
    SearchResultEntry kept;
    kept.priority = 9;
    for (const wchar_t* key : {L"04000003", L"04000004", L"0400000a", L"400000B", L"zz"})
        held.emplace(key, kept);
    SearchResultMap oneByOne = held;
    const std::vector<const AutoSearchCondition*> both = {&news, &harbour};
    for (const AutoSearchCondition* c : both)
        SearchEpgByCondition(&context, c, &oneByOne);
    SearchResultMap run = held;
    EpgSearchContext fresh;
    fresh.store = &store;
    ASSERT_EQ(SearchEpgByConditions(&fresh, both, &run), 1);
    ASSERT_EQ(run.size(), 40u + 3u);
    ASSERT_EQ(run.size(), oneByOne.size());
    for (const auto& [key, entry] : oneByOne) {
        ASSERT_TRUE(run.contains(key));
        EXPECT_EQ(run.at(key).priority, entry.priority);
        EXPECT_EQ(run.at(key).title, entry.title);
    }
    EXPECT_EQ(run.at(L"04000003").priority, 9);
    EXPECT_EQ(run.at(L"0400000A").priority, 4);  // a drama: found by the second condition
    EXPECT_EQ(run.at(L"0400000B").priority, news.priority);
    // Of two services with the same service_id the first holds a programme whose start is no
    // time: the other's programme of that event_id is the hit.
    const auto otherStream = static_cast<std::uint16_t>(kTsid + 1);
    test_support::AddService(store, otherStream, kSid, L"みなと総合２");
    StoreEvent broken;
    broken.eventId = 41;
    broken.name = L"港町ニュース";
    broken.start.wMonth = 13;
    AddEvent(store, kTsid, kSid, broken);
    broken.start.wMonth = 5;
    AddEvent(store, otherStream, kSid, broken);
    harbour.serviceKeys.push_back(static_cast<int>(broadcast::ServiceKey(otherStream, kSid)));
    SearchResultMap oneByOneAgain, runAgain;
    EpgSearchContext again;
    again.store = &store;
    for (const AutoSearchCondition* c : both)
        SearchEpgByCondition(&context, c, &oneByOneAgain);
    ASSERT_EQ(SearchEpgByConditions(&again, both, &runAgain), 1);
    ASSERT_TRUE(runAgain.contains(L"04000029"));
    EXPECT_EQ(runAgain.at(L"04000029").transportStreamId, otherStream);
    EXPECT_EQ(oneByOneAgain.at(L"04000029").transportStreamId, otherStream);
    EXPECT_EQ(runAgain.size(), oneByOneAgain.size());

    EXPECT_EQ(SearchEpgByConditions(nullptr, both, &run), 0);
    EXPECT_EQ(SearchEpgByConditions(&fresh, both, nullptr), 0);
}

}  // namespace
}  // namespace timer_core
