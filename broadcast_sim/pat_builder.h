// Program association table sections.
#pragma once

#include <cstdint>
#include <vector>

#include "broadcast_sim/section_builder.h"

namespace broadcast_sim {

struct PatProgram {
    std::uint16_t program_number = 0;
    std::uint16_t pmt_pid = 0;
};

struct PatDescription {
    std::uint16_t transport_stream_id = 0;
    std::uint8_t version_number = 0;
    bool network_entry = true;  // program_number 0 with the network PID first, as broadcasts do
    std::uint16_t network_pid = 0x10;
    std::vector<PatProgram> programs;
};

Section BuildPat(const PatDescription& pat);

}  // namespace broadcast_sim
