// The records of the EPG store: services from the SDT, per-service schedule bookkeeping with its
// events and extended texts, and present/following events. Strings are decoded wide text;
// times are broadcast local time (JST) exactly as the tables carry them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_time.h"

namespace broadcast {

// (transport_stream_id << 16) | service_id: the key of every per-service map.
inline std::uint32_t ServiceKey(std::uint16_t transportStreamId, std::uint16_t serviceId) {
    return (static_cast<std::uint32_t>(transportStreamId) << 16) | serviceId;
}

struct ServiceRecord {
    std::uint16_t transportStreamId = 0;
    std::uint16_t originalNetworkId = 0;
    std::uint16_t serviceId = 0;
    std::wstring serviceName;  // empty when no service descriptor decodes to text
    // 0 until a service descriptor sets it (schedules are collected for 0x01 and 0xA5 only).
    std::uint8_t serviceType = 0;
};

// The first event start and the last event end of one received segment, as FILETIME values of
// broadcast local time; {0, 0} for a section without events.
struct SegmentSpan {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// Bookkeeping of one EIT schedule sub-table (one table_id) of one service.
struct EitTableRecord {
    std::uint8_t tableId = 0;
    std::uint8_t versionNumber = 0;
    std::uint8_t lastSectionNumber = 0;  // as a segment number (section number / 8)
    std::uint8_t lastTableId = 0;
    std::uint8_t currentSegment = 0;  // the segment whose span holds the broadcast time
    std::map<std::uint32_t, SegmentSpan> segments;
};

struct EpgEventGroupEntry {
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    std::uint16_t reserved1 = 0;  // the local event list carries no more; kept 0
    std::uint16_t reserved2 = 0;
};

struct EpgAudioComponent {
    std::uint8_t componentType = 0;
    std::uint8_t esMultiLingualFlag = 0;
    std::uint8_t mainComponentFlag = 0;
    std::uint8_t samplingRate = 0;
};

struct EpgContentEntry {
    std::uint8_t contentNibbleLevel1 = 0;
    std::uint8_t contentNibbleLevel2 = 0;
    std::uint8_t userNibble1 = 0;
    std::uint8_t userNibble2 = 0;
};

struct EpgEventRecord {
    std::uint16_t serviceId = 0;
    std::uint16_t transportStreamId = 0;
    std::uint16_t originalNetworkId = 0;
    std::uint16_t eventId = 0;
    std::uint16_t startYear = 0;
    std::uint8_t startMonth = 0;
    std::uint8_t startDay = 0;
    std::uint8_t startHour = 0;
    std::uint8_t startMinute = 0;
    std::uint8_t startSecond = 0;
    std::uint8_t durationHours = 0;
    std::uint8_t durationMinutes = 0;
    std::uint8_t durationSeconds = 0;
    std::wstring name;
    std::wstring text;
    std::wstring extendedText;  // present/following events only
    std::vector<EpgEventGroupEntry> eventGroupEntries;
    std::uint8_t componentType = 0;
    std::wstring componentText;
    EpgAudioComponent audioComponent;
    std::wstring audioText;
    std::vector<EpgContentEntry> contentEntries;
};

using EventMap = std::map<std::uint16_t, std::unique_ptr<EpgEventRecord>>;
using EitTableMap = std::map<std::uint32_t, std::unique_ptr<EitTableRecord>>;

// The present and following events of one service (and those that were earlier in the run).
struct EventMapHolder {
    EventMap events;
};

struct ServiceScheduleRecord {
    ServiceScheduleRecord() = default;
    explicit ServiceScheduleRecord(std::uint16_t id) : serviceId(id) {}
    // Table records first, then the events, then the maps themselves.
    ~ServiceScheduleRecord() {
        basicTables.clear();
        extendedTables.clear();
        events.clear();
    }
    ServiceScheduleRecord(const ServiceScheduleRecord&) = delete;
    ServiceScheduleRecord& operator=(const ServiceScheduleRecord&) = delete;

    std::uint16_t serviceId = 0;
    EitTableMap basicTables;     // table_id 0x50-0x57 (0x60-0x67 in other-TS mode)
    EitTableMap extendedTables;  // table_id 0x58-0x5F (0x68-0x6F in other-TS mode)
    EventMap events;
    std::map<std::uint16_t, std::wstring> extendedTexts;  // by event_id
};

// The event's start as a SYSTEMTIME: year to second, milliseconds and wDayOfWeek 0.
inline platform::SYSTEMTIME EventStart(const EpgEventRecord& event) {
    platform::SYSTEMTIME start;
    start.wYear = event.startYear;
    start.wMonth = event.startMonth;
    start.wDay = event.startDay;
    start.wHour = event.startHour;
    start.wMinute = event.startMinute;
    start.wSecond = event.startSecond;
    return start;
}

}  // namespace broadcast
