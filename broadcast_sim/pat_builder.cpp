#include "broadcast_sim/pat_builder.h"

#include "broadcast_sim/byte_writer.h"

namespace broadcast_sim {

Section BuildPat(const PatDescription& pat) {
    ByteWriter w;
    if (pat.network_entry) w.U16(0).U16(0xE000 | pat.network_pid);
    for (const PatProgram& p : pat.programs)
        w.U16(p.program_number).U16(0xE000 | p.pmt_pid);
    LongSectionHeader header;
    header.table_id = 0x00;
    header.table_id_extension = pat.transport_stream_id;
    header.version_number = pat.version_number;
    return BuildLongSection(header, w.bytes(), 0xB0);
}

}  // namespace broadcast_sim
