#include "broadcast/eit_section.h"

#include <algorithm>

#include "broadcast/si_time.h"
#include "broadcast/table_parse.h"

namespace broadcast {
namespace {

constexpr int kFirstEvent = 14;
constexpr int kEventFixedSize = 12;

void ReadEvent(ByteReader& r, EitEventEntry& e) {
    e.event_id = r.U16();
    const SiDate date = MjdToDate(r.U16());
    e.start_year = date.year;
    e.start_month = date.month;
    e.start_day = date.day;
    const SiTime start = BcdToTimeOrUndefined(r.U24());
    e.start_hour = start.hour;
    e.start_minute = start.minute;
    e.start_second = start.second;
    const SiTime duration = BcdToTimeOrUndefined(r.U24());
    e.duration_hours = duration.hour;
    e.duration_minutes = duration.minute;
    e.duration_seconds = duration.second;
    const std::uint16_t b = r.U16();
    e.running_status = static_cast<std::uint8_t>(b >> 13);
    e.free_CA_mode = (b >> 12) & 1;
    e.descriptors_loop_length = b & 0x0FFF;
    ReadDescriptorLoop(r, e.descriptors_loop_length, &e.descriptor_count, &e.descriptors);
}

}  // namespace

int ParseEitSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable([](std::uint8_t id) { return id >= 0x4E && id <= 0x6F; }, &SectionRecord::eit,
                      section, remaining, consumed, record,
                      [section, remaining](ByteReader& r, EitSection& t) {
                          if (section[0] == 0x4E || section[0] == 0x4F) {
                              t.bytes.assign(section,
                                             section + std::min(t.section_length + 3, remaining));
                          }
                          t.service_id = r.U16();
                          ReadVersion(r, t);
                          t.section_segment = r.U8() / 8;
                          t.last_section_segment = r.U8() / 8;
                          t.transport_stream_id = r.U16();
                          t.original_network_id = r.U16();
                          t.segment_last_segment = r.U8() / 8;
                          t.last_table_id = r.U8();
                          // Events run up to the first CRC byte, at section_length - 1.
                          const int crc_start = t.section_length - 1;
                          if (t.section_length <= 15) return;
                          for (int start = kFirstEvent;
                               start < crc_start && RoomForEntry(r, t.events, kEventFixedSize);) {
                              EitEventEntry& event = t.events.emplace_back();
                              ReadEvent(r, event);
                              start += kEventFixedSize + event.descriptors_loop_length;
                          }
                          t.event_count = static_cast<std::uint8_t>(t.events.size());
                      });
}

}  // namespace broadcast
