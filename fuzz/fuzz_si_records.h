// Shared by the SI capture fuzz targets: input read as (PID selector, 16-bit length, section
// bytes) records whose length fields and CRC are repaired before packetizing, behind a PAT, an
// SDT of four TV services and a TOT that make the stream known first, so that arbitrary table
// contents reach the capture contexts' handlers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "broadcast_sim/pat_builder.h"
#include "broadcast_sim/sdt_builder.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/time_builder.h"

inline std::vector<broadcast_sim::TsPacket> SiRecordPackets(const std::uint8_t* data,
                                                            std::size_t size) {
    namespace sim = broadcast_sim;
    static constexpr std::uint16_t kPids[] = {sim::kPidPat, sim::kPidNit, sim::kPidSdt,
                                              sim::kPidEit, sim::kPidTot};
    sim::SiPacketStream stream;
    stream.Add(sim::kPidPat, sim::BuildPat({0x4010, 0, true, 0x10, {{1, 0x1F0}, {2, 0x1F1}}}));
    sim::SdtDescription sdt{0x42, 0x4010, 4, 0, {}};
    for (std::uint16_t sid = 1; sid <= 4; ++sid) {
        sdt.services.push_back({});
        sdt.services.back().service_id = sid;
        sdt.services.back().service_name = L"fuzz";
    }
    stream.Add(sim::kPidSdt, sim::BuildSdt(sdt));
    stream.Add(sim::kPidTot, sim::BuildTot(sim::JstTime(2024, 5, 1, 12)));
    std::size_t pos = 0;
    while (pos + 3 <= size) {
        const std::uint16_t pid = kPids[data[pos] % 5];
        const std::size_t length = std::min<std::size_t>(
            {static_cast<std::size_t>(data[pos + 1] | (data[pos + 2] << 8)), size - pos - 3, 4096});
        pos += 3;
        if (length >= 3) {
            sim::Section section(data + pos, data + pos + length);
            const std::size_t sectionLength = length - 3;
            section[1] = static_cast<std::uint8_t>((section[1] & 0xF0) | (sectionLength >> 8));
            section[2] = static_cast<std::uint8_t>(sectionLength);
            if (section[0] != 0x70) sim::RefreshCrc(section);
            stream.Add(pid, section);
        }
        pos += length;
    }
    return stream.Take();
}
