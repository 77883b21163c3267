#include "broadcast/pmt_section.h"

#include "broadcast/table_parse.h"

namespace broadcast {

int ParsePmtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable(TableIdIs(0x02), &SectionRecord::pmt, section, remaining, consumed, record,
                      [](ByteReader& r, PmtSection& t) {
                          t.program_number = r.U16();
                          ReadVersionAndNumbers(r, t);
                          t.PCR_PID = r.U16() & 0x1FFF;
                          t.program_info_length = r.U16() & 0x0FFF;
                          DescriptorList& program_info = t.descriptor_lists.emplace_back();
                          ReadDescriptorLoop(r, t.program_info_length,
                                             &program_info.descriptor_count,
                                             &program_info.descriptors);
                          t.descriptor_list_count = 1;
                          const int loop_length = t.section_length - 13;
                          for (int read = t.program_info_length;
                               read < loop_length && RoomForEntry(r, t.streams, 5);) {
                              PmtStreamEntry& stream = t.streams.emplace_back();
                              stream.stream_type = r.U8();
                              stream.elementary_PID = r.U16() & 0x1FFF;
                              stream.ES_info_length = r.U16() & 0x0FFF;
                              ReadDescriptorLoop(r, stream.ES_info_length, &stream.descriptor_count,
                                                 &stream.descriptors);
                              read += 5 + stream.ES_info_length;
                          }
                          t.stream_count = static_cast<std::uint8_t>(t.streams.size());
                      });
}

}  // namespace broadcast
