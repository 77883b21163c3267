#include "broadcast/eit_event_records.h"

#include <cstring>
#include <vector>

#include "broadcast/arib_decoder.h"
#include "platform/system_time.h"

namespace broadcast {
namespace {

constexpr std::uint8_t kApr = 0x0D;

// The bytes of a terminated field up to its first zero.
std::size_t FieldLength(const std::uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr) return 0;
    const void* zero = std::memchr(bytes, 0, length);
    return zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes) : length;
}

void AppendField(std::vector<std::uint8_t>& buffer, const std::uint8_t* bytes, std::size_t length) {
    buffer.insert(buffer.end(), bytes, bytes + FieldLength(bytes, length));
}

// Decodes the buffer, appends the text and empties the buffer.
void Flush(std::vector<std::uint8_t>& buffer, std::wstring& text) {
    text += DecodeAribField(buffer.data(), buffer.size());
    buffer.clear();
}

void FillFromShortEvent(const ShortEventDesc& d, EpgEventRecord& record) {
    std::wstring name = DecodeAribField(d.event_name.get(), d.event_name_length);
    if (!name.empty()) record.name = std::move(name);
    std::wstring text = DecodeAribField(d.text.get(), d.text_length);
    if (!text.empty()) record.text = std::move(text);
}

void FillFromComponent(const ComponentDesc& d, EpgEventRecord& record) {
    record.componentType = d.component_type;
    std::wstring text = DecodeAribField(d.text.get(), d.text_length);
    if (!text.empty()) record.componentText = std::move(text);
}

void FillFromAudioComponent(const AudioComponentDesc& d, EpgEventRecord& record) {
    record.audioComponent = {d.component_type, d.ES_multi_lingual_flag, d.main_component_flag,
                             d.sampling_rate};
    std::wstring text = DecodeAribField(d.text.get(), d.text_length);
    if (!text.empty()) record.audioText = std::move(text);
}

void FillFromDescriptor(const DescriptorRecord& d, EpgEventRecord& record) {
    if (d.short_event) FillFromShortEvent(*d.short_event, record);
    if (d.event_group) {
        for (const auto& e : d.event_group->events) {
            record.eventGroupEntries.push_back({e.service_id, e.event_id, 0, 0});
        }
    }
    if (d.component) FillFromComponent(*d.component, record);
    if (d.audio_component) FillFromAudioComponent(*d.audio_component, record);
    if (d.content) {
        for (const auto& e : d.content->entries) {
            record.contentEntries.push_back({e.content_nibble_level_1, e.content_nibble_level_2,
                                             e.user_nibble_1, e.user_nibble_2});
        }
    }
}

int EventStart(const EitEventEntry& event, std::uint64_t* out) {
    const platform::SYSTEMTIME st{
        event.start_year,   event.start_month,  0, event.start_day, event.start_hour,
        event.start_minute, event.start_second, 0};
    platform::FILETIME ft;
    if (!platform::SystemTimeToFileTime(&st, &ft)) {
        *out = 0;
        return 0;
    }
    *out = platform::FileTimeToU64(ft);
    return 1;
}

}  // namespace

std::wstring DecodeAribField(const std::uint8_t* bytes, std::size_t length) {
    std::wstring text;
    AribToWString(FieldLength(bytes, length), bytes, &text);
    return text;
}

std::unique_ptr<EpgEventRecord> BuildEpgEventRecord(const EitSection& section,
                                                    const EitEventEntry& event,
                                                    bool withExtendedText) {
    auto record = std::make_unique<EpgEventRecord>();
    record->serviceId = section.service_id;
    record->transportStreamId = section.transport_stream_id;
    record->originalNetworkId = section.original_network_id;
    record->eventId = event.event_id;
    record->startYear = event.start_year;
    record->startMonth = event.start_month;
    record->startDay = event.start_day;
    record->startHour = event.start_hour;
    record->startMinute = event.start_minute;
    record->startSecond = event.start_second;
    record->durationHours = event.duration_hours;
    record->durationMinutes = event.duration_minutes;
    record->durationSeconds = event.duration_seconds;
    for (const auto& d : event.descriptors) {
        if (d) FillFromDescriptor(*d, *record);
    }
    if (withExtendedText) record->extendedText = BuildExtendedEventText(event);
    return record;
}

std::wstring BuildExtendedEventText(const EitEventEntry& event) {
    std::vector<std::uint8_t> buffer;
    std::wstring text;
    for (const auto& d : event.descriptors) {
        if (!d || !d->extended_event) continue;
        for (const ExtendedEventItem& item : d->extended_event->items) {
            if (FieldLength(item.item_description.get(), item.item_description_length) > 0) {
                if (!buffer.empty()) {
                    buffer.push_back(kApr);
                    Flush(buffer, text);
                }
                AppendField(buffer, item.item_description.get(), item.item_description_length);
                buffer.push_back(kApr);
                Flush(buffer, text);
            }
            AppendField(buffer, item.item.get(), item.item_length);
        }
    }
    Flush(buffer, text);
    return text;
}

int GetEitFirstEventStart(const EitSection* section, std::uint64_t* out) {
    *out = 0;
    if (section == nullptr || section->events.empty()) return 0;
    return EventStart(section->events.front(), out);
}

int GetEitLastEventEnd(const EitSection* section, std::uint64_t* out) {
    *out = 0;
    if (section == nullptr || section->events.empty()) return 0;
    const EitEventEntry& last = section->events.back();
    if (!EventStart(last, out)) return 0;
    const std::uint64_t seconds =
        last.duration_hours * 3600ull + last.duration_minutes * 60ull + last.duration_seconds;
    *out += seconds * platform::kFileTimePerSecond;
    return 1;
}

}  // namespace broadcast
