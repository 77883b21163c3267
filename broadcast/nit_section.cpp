#include "broadcast/nit_section.h"

#include "broadcast/table_parse.h"

namespace broadcast {

int ParseNitSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable([](std::uint8_t id) { return id == 0x40 || id == 0x41; }, &SectionRecord::nit,
                      section, remaining, consumed, record,
                      [](ByteReader& r, NitSection& t) {
                          t.network_id = r.U16();
                          ReadVersionAndNumbers(r, t);
                          t.network_descriptors_length = r.U16() & 0x0FFF;
                          ReadDescriptorLoop(r, t.network_descriptors_length,
                                             &t.network_descriptor_count, &t.network_descriptors);
                          t.transport_stream_loop_length = r.U16() & 0x0FFF;
                          for (int read = 0; read < t.transport_stream_loop_length &&
                                             RoomForEntry(r, t.transport_streams, 6);) {
                              NitTransportStreamEntry& ts = t.transport_streams.emplace_back();
                              ts.transport_stream_id = r.U16();
                              ts.original_network_id = r.U16();
                              ts.transport_descriptors_length = r.U16() & 0x0FFF;
                              ReadDescriptorLoop(r, ts.transport_descriptors_length,
                                                 &ts.descriptor_count, &ts.descriptors);
                              read += 6 + ts.transport_descriptors_length;
                          }
                          t.transport_stream_count =
                              static_cast<std::uint8_t>(t.transport_streams.size());
                      });
}

}  // namespace broadcast
