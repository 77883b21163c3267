#include "broadcast/pat_section.h"

#include "broadcast/table_parse.h"

namespace broadcast {

int ParsePatSection(const std::uint8_t* section, int remaining, int* consumed,
                    std::unique_ptr<SectionRecord>* record) {
    return ParseTable(
        TableIdIs(0x00), &SectionRecord::pat, section, remaining, consumed, record,
        [](ByteReader& r, PatSection& t) {
            t.transport_stream_id = r.U16();
            ReadVersionAndNumbers(r, t);
            // The entries end where the CRC_32 begins.
            const int loop_length = t.section_length - 9;
            for (int read = 0; read < loop_length && RoomForEntry(r, t.entries, 4); read += 4) {
                const std::uint16_t program_number = r.U16();
                t.entries.push_back(
                    PatProgramEntry{program_number, static_cast<std::uint16_t>(r.U16() & 0x1FFF)});
            }
            t.entry_count = static_cast<std::uint8_t>(t.entries.size());
        });
}

}  // namespace broadcast
