#include "broadcast/time_sections.h"

#include "broadcast/si_time.h"
#include "broadcast/table_parse.h"

namespace broadcast {
namespace {

// JST_time: MJD at bytes 3-4, BCD hour, minute and second at bytes 5-7.
template <typename Table>
void ReadJstTime(ByteReader& r, Table& t) {
    const SiDate date = MjdToDate(r.U16());
    const SiTime time = BcdToTime(r.U24());
    t.year = date.year;
    t.month = date.month;
    t.day = date.day;
    t.hour = time.hour;
    t.minute = time.minute;
    t.second = time.second;
}

}  // namespace

int ParseTdtSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable(TableIdIs(0x70), &SectionRecord::tdt, section, remaining, consumed, record,
                      [](ByteReader& r, TdtSection& t) { ReadJstTime(r, t); });
}

int ParseTotSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable(TableIdIs(0x73), &SectionRecord::tot, section, remaining, consumed, record,
                      [](ByteReader& r, TotSection& t) {
                          ReadJstTime(r, t);
                          t.descriptors_loop_length = r.U16() & 0x0FFF;
                          ReadDescriptorLoop(r, t.descriptors_loop_length, &t.descriptor_count,
                                             &t.descriptors);
                      });
}

}  // namespace broadcast
