#include "broadcast_sim/pmt_builder.h"

#include "broadcast_sim/byte_writer.h"

namespace broadcast_sim {

Section BuildPmt(const PmtDescription& pmt) {
    ByteWriter w;
    w.U16(0xE000 | pmt.pcr_pid).U16(0xF000);
    for (const PmtStream& s : pmt.streams)
        w.U8(s.stream_type).U16(0xE000 | s.elementary_pid).U16(0xF000);
    LongSectionHeader header;
    header.table_id = 0x02;
    header.table_id_extension = pmt.program_number;
    header.version_number = pmt.version_number;
    return BuildLongSection(header, w.bytes(), 0xB0);
}

}  // namespace broadcast_sim
