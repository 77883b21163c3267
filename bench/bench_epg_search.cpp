// The automatic-reservation run: 100 conditions searched in one run into one result map, as the
// list dialog and the main window do after an EPG load, over a store of 20,000 schedule
// events with the sample programmes' texts (names, descriptions, extended items). Every
// condition searches every service, the worst case. The context is new in every iteration, so
// the time includes folding every text once. Also one condition alone (the condition editor's
// search).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "broadcast/epg_store.h"
#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/time_builder.h"
#include "tests/support/epg_test_store.h"
#include "tests/support/expected_extended_text.h"
#include "timer_core/epg/epg_search.h"

namespace {

namespace sim = broadcast_sim;

constexpr std::size_t kEvents = 20000;

test_support::StoreEvent StoreEventOf(const sim::EventDescription& e) {
    test_support::StoreEvent event;
    event.eventId = e.event_id;
    event.start = e.start;
    event.minutes = static_cast<int>(e.duration_seconds / 60);
    event.name = e.name;
    event.text = e.text;
    event.extended = test_support::ExpectedExtendedText(e);
    for (const sim::EventGenre& g : e.genres)
        event.genres.push_back(g.level1);
    return event;
}

// Services of 8 days of sample programmes each, until the store holds kEvents events.
struct Store {
    broadcast::EpgStore store;
    std::vector<int> keys;
};

const Store& SampleStore() {
    static const Store* built = [] {
        auto* s = new Store;
        std::size_t events = 0;
        for (std::uint16_t n = 0; events < kEvents; ++n) {
            const auto tsid = static_cast<std::uint16_t>(0x4010 + n / 12);
            const auto sid = static_cast<std::uint16_t>(101 + n);
            broadcast::ServiceRecord service;
            service.transportStreamId = tsid;
            service.serviceId = sid;
            service.serviceName = L"ＢＳテスト" + std::to_wstring(n + 1);
            s->store.PutService(&service);
            const std::uint32_t key = broadcast::ServiceKey(tsid, sid);
            s->keys.push_back(static_cast<int>(key));
            for (const auto& e : sim::MakeSampleEvents(sim::JstTime(2024, 5, 1), 8 * 24, 1, sid)) {
                if (events == kEvents) break;
                test_support::AddEvent(s->store, tsid, sid, StoreEventOf(e));
                ++events;
            }
        }
        return s;
    }();
    return *built;
}

// What users ask for: parts of titles, people, subjects, in either width and case, some with
// words to exclude, a genre, an evening window or some weekdays; a few find nothing.
std::vector<timer_core::AutoSearchCondition> MakeConditions(const std::vector<int>& keys) {
    const std::vector<std::wstring> words = {
        L"風の記憶",  L"朝の光",  L"プロ野球",  L"料理",     L"灯台の記録72",
        L"名曲",      L"遠い海",  L"旅 チカラ", L"山田太郎", L"汐田誠",
        L"gdp",       L"ny 為替", L"車窓",      L"天気予報", L"田植え 収穫",
        L"老舗 旅館", L"第12回",  L"鈴木花子",  L"森下洋介", L"存在しない番組"};
    const std::vector<std::wstring> notWords = {L"", L"", L"[再]", L"", L"二 解", L"", L"ＢＳ"};
    std::vector<timer_core::AutoSearchCondition> conditions;
    for (int i = 0; i < 100; ++i) {
        timer_core::AutoSearchCondition c;
        c.andWords = words[i % words.size()];
        c.notWords = notWords[i % notWords.size()];
        c.titleOnly = i % 5 == 0 ? 1 : 0;
        c.genre = i % 4 == 0 ? i % 12 : -1;
        c.startHour = i % 3 == 0 ? 19 : 0;
        c.endHour = i % 3 == 0 ? 23 : 0;
        c.weekdays = {1, 1, 1, 1, 1, i % 2, i % 2};
        c.serviceKeys = keys;
        c.priority = 1 + i % 5;
        c.follow = 1;
        conditions.push_back(c);
    }
    return conditions;
}

void BM_HundredConditions(benchmark::State& state) {
    const Store& s = SampleStore();
    const auto conditions = MakeConditions(s.keys);
    std::vector<const timer_core::AutoSearchCondition*> run;
    for (const auto& c : conditions)
        run.push_back(&c);
    std::size_t hits = 0;
    for (auto _ : state) {
        timer_core::EpgSearchContext context;
        context.store = &s.store;
        timer_core::SearchResultMap results;
        timer_core::SearchEpgByConditions(&context, run, &results);
        hits = results.size();
        benchmark::DoNotOptimize(results);
    }
    state.counters["events"] = static_cast<double>(kEvents);
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_HundredConditions)->Unit(benchmark::kMillisecond);

void BM_OneCondition(benchmark::State& state) {
    const Store& s = SampleStore();
    const auto conditions = MakeConditions(s.keys);
    for (auto _ : state) {
        timer_core::EpgSearchContext context;
        context.store = &s.store;
        timer_core::SearchResultMap results;
        timer_core::SearchEpgByCondition(&context, &conditions[1], &results);
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_OneCondition)->Unit(benchmark::kMillisecond);

}  // namespace
