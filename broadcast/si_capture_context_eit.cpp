// The EIT side of both capture contexts: present/following and schedule sections into the store,
// the per-table and per-segment bookkeeping, and the shape of the completeness verdict.
#include "broadcast/eit_event_records.h"
#include "broadcast/section_record.h"
#include "broadcast/si_capture_context.h"

namespace broadcast {
namespace {

constexpr std::uint8_t kPfActual = 0x4E, kPfOther = 0x4F;
constexpr std::uint8_t kServiceTypeTv = 0x01, kServiceTypeBookmarkTv = 0xA5;

bool IsBasicScheduleId(std::uint8_t id) {
    return (id >= 0x50 && id <= 0x57) || (id >= 0x60 && id <= 0x67);
}

ServiceScheduleRecord& FindOrCreate(
    std::map<std::uint32_t, std::unique_ptr<ServiceScheduleRecord>>& map, std::uint32_t key,
    std::uint16_t serviceId) {
    auto& slot = map[key];
    if (!slot) slot = std::make_unique<ServiceScheduleRecord>(serviceId);
    return *slot;
}

}  // namespace

void SiCaptureContext::DispatchEitSections() {
    for (const auto& section : eitAssembler_.published_sections()) {
        if (!section || !section->eit) continue;
        const std::uint8_t id = section->table_id;
        const EitSection* eit = section->eit.get();
        if (id < 0x50) {
            OnEitPresentFollowing(id, eit);
        } else if (id < 0x70 && scheduleCollectionOff == 0 &&
                   (eit->transport_stream_id == transportStreamId || otherTsMode != 0)) {
            if (IsBasicScheduleId(id)) {
                OnEitScheduleBasic(id, eit);
            } else {
                OnEitScheduleExtended(id, eit);
            }
        }
    }
}

int SiCaptureContext::ScheduleVerdict(
    const std::function<bool(const EitTableMap&)>& complete) const {
    bool basic = !trackingMap_.empty();
    bool extended = basic;
    for (const auto& [key, record] : trackingMap_) {
        if (basic && (record->basicTables.empty() || !complete(record->basicTables))) {
            basic = false;
        }
        if (extended) {
            extended = record->extendedTables.empty() ? !record->basicTables.empty() && basic
                                                      : complete(record->extendedTables);
        }
    }
    if (basic && extended) return kScheduleComplete;
    if (basic) return kScheduleBasicComplete;
    if (extended) return kScheduleExtendedComplete;
    return kScheduleIncomplete;
}

int SiCaptureContext::OnEitPresentFollowing(std::uint8_t tableId, const EitSection* eit) {
    if (eit == nullptr || store == nullptr || (tableId != kPfActual && tableId != kPfOther)) {
        return 0;
    }
    auto& holder = store->presentFollowing[ServiceKey(eit->transport_stream_id, eit->service_id)];
    if (!holder) holder = std::make_unique<EventMapHolder>();
    if (repeatsStore_ != store) {
        presentFollowingRepeats_.Clear();
        repeatsStore_ = store;
    }
    if (presentFollowingRepeats_.Unchanged(tableId, *eit, *holder)) return 1;
    for (const EitEventEntry& event : eit->events) {
        // The latest section wins: the record is rebuilt whole.
        holder->events[event.event_id] = BuildEpgEventRecord(*eit, event, true);
    }
    presentFollowingRepeats_.Stored(tableId, *eit, *holder);
    return 1;
}

int SiCaptureContext::OnEitScheduleBasic(std::uint8_t tableId, const EitSection* eit) {
    return OnEitSchedule(tableId, eit, ScheduleClass::kBasic);
}

int SiCaptureContext::OnEitScheduleExtended(std::uint8_t tableId, const EitSection* eit) {
    return OnEitSchedule(tableId, eit, ScheduleClass::kExtended);
}

bool SiCaptureContext::InScheduleWindow(std::uint8_t tableId, ScheduleClass cls) const {
    const std::uint8_t first = cls == ScheduleClass::kBasic ? 0x50 : 0x58;
    if (tableId >= first && tableId <= first + 7) return true;
    return otherTsMode == 1 && tableId >= first + 0x10 && tableId <= first + 0x17;
}

int SiCaptureContext::OnEitSchedule(std::uint8_t tableId, const EitSection* eit,
                                    ScheduleClass cls) {
    if (eit == nullptr || store == nullptr || scheduleCollectionOff == 1) return 0;
    if (!InScheduleWindow(tableId, cls)) return 0;
    const std::uint32_t key = ServiceKey(eit->transport_stream_id, eit->service_id);
    const auto service = store->services.find(key);
    if (service == store->services.end() ||
        (service->second->serviceType != kServiceTypeTv &&
         service->second->serviceType != kServiceTypeBookmarkTv)) {
        return 0;
    }
    ServiceScheduleRecord& stored = FindOrCreate(store->schedules, key, eit->service_id);
    RecordSection(stored, tableId, *eit, cls);
    RecordSection(FindOrCreate(trackingMap_, key, eit->service_id), tableId, *eit, cls);
    // Schedule events and extended texts are first-come until a version change empties them.
    for (const EitEventEntry& event : eit->events) {
        if (cls == ScheduleClass::kBasic) {
            if (!stored.events.contains(event.event_id)) {
                stored.events[event.event_id] = BuildEpgEventRecord(*eit, event, false);
            }
        } else if (!stored.extendedTexts.contains(event.event_id)) {
            stored.extendedTexts[event.event_id] = BuildExtendedEventText(event);
        }
    }
    return 1;
}

// Table and segment bookkeeping of one section. A version change of any table of the class drops
// every table of that class with the events (basic) or extended texts (extended) of the service.
void SiCaptureContext::RecordSection(ServiceScheduleRecord& record, std::uint8_t tableId,
                                     const EitSection& eit, ScheduleClass cls) const {
    EitTableMap& tables = cls == ScheduleClass::kBasic ? record.basicTables : record.extendedTables;
    const auto found = tables.find(tableId);
    if (found != tables.end() && found->second->versionNumber == eit.version_number) {
        if (!found->second->segments.contains(eit.section_segment)) {
            AddSegment(*found->second, eit);
        }
        return;
    }
    if (found != tables.end()) {
        tables.clear();
        if (cls == ScheduleClass::kBasic) {
            record.events.clear();
        } else {
            record.extendedTexts.clear();
        }
    }
    auto table = std::make_unique<EitTableRecord>();
    table->tableId = tableId;
    table->versionNumber = eit.version_number;
    table->lastSectionNumber = eit.last_section_segment;
    table->lastTableId = eit.last_table_id;
    table->currentSegment = 0;
    AddSegment(*table, eit);
    tables[tableId] = std::move(table);
}

void SiCaptureContext::AddSegment(EitTableRecord& table, const EitSection& eit) const {
    SegmentSpan span;
    GetEitFirstEventStart(&eit, &span.start);
    GetEitLastEventEnd(&eit, &span.end);
    table.segments[eit.section_segment] = span;
    if (span.start <= broadcastTime && broadcastTime <= span.end) {
        table.currentSegment = eit.section_segment;
    }
}

}  // namespace broadcast
