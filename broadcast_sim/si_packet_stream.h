// A transport stream of SI tables: sections of several PIDs packetized in the order they are
// added, each PID with its own running continuity counter.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "broadcast_sim/packetizer.h"

namespace broadcast_sim {

inline constexpr std::uint16_t kPidPat = 0x00;
inline constexpr std::uint16_t kPidNit = 0x10;
inline constexpr std::uint16_t kPidSdt = 0x11;
inline constexpr std::uint16_t kPidEit = 0x12;
inline constexpr std::uint16_t kPidTot = 0x14;

class SiPacketStream {
  public:
    // Appends the packets of the sections on the PID.
    void Add(std::uint16_t pid, const std::vector<Section>& sections,
             Packetizer::Layout layout = Packetizer::Layout::kPacked);
    void Add(std::uint16_t pid, const Section& section) { Add(pid, std::vector<Section>{section}); }

    const std::vector<TsPacket>& packets() const { return packets_; }
    std::vector<TsPacket> Take() { return std::move(packets_); }

  private:
    std::map<std::uint16_t, Packetizer> packetizers_;
    std::vector<TsPacket> packets_;
};

}  // namespace broadcast_sim
