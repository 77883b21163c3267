// Program map table sections.
#pragma once

#include <cstdint>
#include <vector>

#include "broadcast_sim/section_builder.h"

namespace broadcast_sim {

struct PmtStream {
    std::uint8_t stream_type = 0x02;  // MPEG-2 video
    std::uint16_t elementary_pid = 0;
};

struct PmtDescription {
    std::uint16_t program_number = 0;  // the service_id
    std::uint8_t version_number = 0;
    std::uint16_t pcr_pid = 0x1FFF;
    std::vector<PmtStream> streams;
};

// One section, without program_info or ES_info descriptors.
Section BuildPmt(const PmtDescription& pmt);

}  // namespace broadcast_sim
