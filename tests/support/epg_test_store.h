// EPG stores for the timer's tests, filled directly through the store's maps with invented
// services and programmes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "broadcast/epg_store.h"
#include "broadcast_sim/time_builder.h"

namespace test_support {

struct StoreEvent {
    std::uint16_t eventId = 0;
    platform::SYSTEMTIME start = broadcast_sim::JstTime(2024, 5, 6, 19, 0);  // a Monday
    int minutes = 30;
    std::wstring name;
    std::wstring text;
    std::optional<std::wstring> extended;  // the schedule's extended text, when there is one
    std::vector<std::uint8_t> genres;      // content_nibble_level_1 of each content entry
};

inline void AddService(broadcast::EpgStore& store, std::uint16_t tsid, std::uint16_t sid,
                       const std::wstring& name) {
    broadcast::ServiceRecord service;
    service.transportStreamId = tsid;
    service.originalNetworkId = 4;
    service.serviceId = sid;
    service.serviceName = name;
    service.serviceType = 0x01;
    store.PutService(&service);
}

inline broadcast::EpgEventRecord& AddEvent(broadcast::EpgStore& store, std::uint16_t tsid,
                                           std::uint16_t sid, const StoreEvent& e) {
    auto& schedule = store.schedules[broadcast::ServiceKey(tsid, sid)];
    if (!schedule) schedule = std::make_unique<broadcast::ServiceScheduleRecord>(sid);
    auto record = std::make_unique<broadcast::EpgEventRecord>();
    record->serviceId = sid;
    record->transportStreamId = tsid;
    record->originalNetworkId = 4;
    record->eventId = e.eventId;
    record->startYear = e.start.wYear;
    record->startMonth = static_cast<std::uint8_t>(e.start.wMonth);
    record->startDay = static_cast<std::uint8_t>(e.start.wDay);
    record->startHour = static_cast<std::uint8_t>(e.start.wHour);
    record->startMinute = static_cast<std::uint8_t>(e.start.wMinute);
    record->startSecond = static_cast<std::uint8_t>(e.start.wSecond);
    record->durationHours = static_cast<std::uint8_t>(e.minutes / 60);
    record->durationMinutes = static_cast<std::uint8_t>(e.minutes % 60);
    record->name = e.name;
    record->text = e.text;
    for (std::uint8_t genre : e.genres)
        record->contentEntries.push_back({genre, 0, 0xF, 0xF});
    if (e.extended) schedule->extendedTexts[e.eventId] = *e.extended;
    auto& stored = schedule->events[e.eventId];
    stored = std::move(record);
    return *stored;
}

}  // namespace test_support
