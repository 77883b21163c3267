#include "broadcast/sdt_section.h"

#include "broadcast/table_parse.h"

namespace broadcast {
namespace {

void ReadService(ByteReader& r, SdtServiceEntry& s) {
    s.service_id = r.U16();
    const std::uint8_t flags = r.U8();
    s.EIT_user_defined_flags = (flags >> 2) & 7;
    s.EIT_schedule_flag = (flags >> 1) & 1;
    s.EIT_present_following_flag = flags & 1;
    const std::uint16_t b = r.U16();
    s.running_status = static_cast<std::uint8_t>(b >> 13);
    s.free_CA_mode = (b >> 12) & 1;
    s.descriptors_loop_length = b & 0x0FFF;
    ReadDescriptorLoop(r, s.descriptors_loop_length, &s.descriptor_count, &s.descriptors);
}

}  // namespace

int ParseSdtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable([](std::uint8_t id) { return id == 0x42 || id == 0x46; }, &SectionRecord::sdt,
                      section, remaining, consumed, record,
                      [](ByteReader& r, SdtSection& t) {
                          t.transport_stream_id = r.U16();
                          ReadVersionAndNumbers(r, t);
                          t.original_network_id = r.U16();
                          r.Skip(1);
                          const int loop_length = t.section_length - 12;
                          for (int read = 0;
                               read < loop_length && RoomForEntry(r, t.services, 5);) {
                              SdtServiceEntry& service = t.services.emplace_back();
                              ReadService(r, service);
                              read += 5 + service.descriptors_loop_length;
                          }
                          t.service_count = static_cast<std::uint8_t>(t.services.size());
                      });
}

}  // namespace broadcast
