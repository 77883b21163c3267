#include "tests/timer_ui/auto_add_test_data.h"

#include "broadcast_sim/time_builder.h"
#include "tests/support/epg_test_store.h"
#include "timer_core/epg/auto_search_file.h"

namespace timer_ui_test {

int MinatoKey() {
    return static_cast<int>(broadcast::ServiceKey(kTsid, kMinatoSid));
}
int SakuraKey() {
    return static_cast<int>(broadcast::ServiceKey(kTsid, kSakuraSid));
}
int RadioKey() {
    return static_cast<int>(broadcast::ServiceKey(kTsid, kRadioSid));
}

void FillStore(broadcast::EpgStore& store) {
    using broadcast_sim::JstTime;
    using test_support::AddEvent;
    test_support::AddService(store, kTsid, kMinatoSid, L"みなと総合");
    test_support::AddService(store, kTsid, kSakuraSid, L"さくらテレビ");
    broadcast::ServiceRecord radio;
    radio.transportStreamId = kTsid;
    radio.serviceId = kRadioSid;
    radio.serviceName = L"みなとラジオ";
    radio.serviceType = 0x02;
    store.PutService(&radio);
    AddEvent(store, kTsid, kMinatoSid,
             {1, JstTime(2026, 12, 9, 19, 0), 30, L"星空ニュース", L"一日の出来事", {}, {0x0}});
    AddEvent(store, kTsid, kMinatoSid,
             {2, JstTime(2026, 12, 9, 23, 30), 60, L"深夜の旅", L"港町を歩く", {}, {0x8}});
    AddEvent(store, kTsid, kSakuraSid,
             {3, JstTime(2026, 12, 10, 21, 0), 54, L"星空ドラマ", L"第一話", {}, {0x3}});
    AddEvent(store, kTsid, kRadioSid,
             {4, JstTime(2026, 12, 9, 22, 0), 60, L"波の音", L"星空の下で", {}, {0x4}});
}

timer_core::AutoSearchCondition Condition(const std::wstring& andWords,
                                          std::vector<int> serviceKeys) {
    timer_core::AutoSearchCondition condition;
    condition.andWords = andWords;
    condition.genre = -1;
    condition.endHour = 23;
    condition.endMinute = 59;
    condition.weekdays.fill(1);
    condition.serviceKeys =
        serviceKeys.empty() ? std::vector<int>{MinatoKey(), SakuraKey()} : std::move(serviceKeys);
    condition.priority = 2;
    condition.follow = 1;
    return condition;
}

void SaveConditions(const std::vector<timer_core::AutoSearchCondition>& conditions) {
    timer_core::AutoSearchFile file;
    for (const timer_core::AutoSearchCondition& condition : conditions)
        file.conditions.emplace(static_cast<int>(file.conditions.size()), condition);
    file.Save();
}

std::vector<timer_core::AutoSearchCondition> LoadConditions() {
    timer_core::AutoSearchFile file;
    file.Load();
    std::vector<timer_core::AutoSearchCondition> conditions;
    for (const auto& [key, condition] : file.conditions)
        conditions.push_back(condition);
    return conditions;
}

}  // namespace timer_ui_test
