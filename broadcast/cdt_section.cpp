#include "broadcast/cdt_section.h"

#include "broadcast/table_parse.h"

namespace broadcast {

int ParseCdtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable(TableIdIs(0xC8), &SectionRecord::cdt, section, remaining, consumed, record,
                      [](ByteReader& r, CdtSection& t) {
                          t.download_data_id = r.U16();
                          ReadVersionAndNumbers(r, t);
                          t.original_network_id = r.U16();
                          t.data_type = r.U8();
                          t.descriptors_loop_length = r.U16() & 0x0FFF;
                          ReadDescriptorLoop(r, t.descriptors_loop_length, &t.descriptor_count,
                                             &t.descriptors);
                          // The logo data module behind the descriptors.
                          t.logo_type = r.U8();
                          t.logo_id = r.U16() & 0x01FF;
                          t.logo_version = r.U16() & 0x0FFF;
                          const int data_size = r.U16();
                          t.data = TakeBytes(r, data_size, Terminated::kNo, &t.data_size);
                      });
}

}  // namespace broadcast
