// Carrying sections in 188-byte transport-stream packets of one PID.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "broadcast_sim/section_builder.h"

namespace broadcast_sim {

using TsPacket = std::array<std::uint8_t, 188>;

// A packet of the PID with payload only, filled with 0xFF behind its four header bytes;
// `scrambling` is transport_scrambling_control (0 to 3).
TsPacket MakePacket(std::uint16_t pid, bool unit_start, std::uint8_t scrambling,
                    std::uint8_t continuity_counter);

class Packetizer {
  public:
    enum class Layout {
        kPacked,         // sections back to back; a section may begin in the middle of a packet
        kPacketPerStart  // every section begins a packet of its own (pointer_field 0)
    };

    explicit Packetizer(std::uint16_t pid, std::uint8_t first_continuity_counter = 0)
        : pid_(pid), counter_(first_continuity_counter & 0x0F) {}

    // Packets carrying the sections in order. A packet in which a section begins has
    // payload_unit_start_indicator set and a pointer_field to that section; the last packet (and
    // with kPacketPerStart the last packet of every section) is filled up with 0xFF stuffing.
    // The continuity counter runs on across calls.
    std::vector<TsPacket> Packetize(const std::vector<Section>& sections,
                                    Layout layout = Layout::kPacked);

    std::uint8_t next_continuity_counter() const { return counter_; }

  private:
    void PacketizeRun(const std::vector<std::uint8_t>& stream,
                      const std::vector<std::size_t>& starts, std::vector<TsPacket>& out);
    TsPacket NextPacket(bool unit_start);

    std::uint16_t pid_;
    std::uint8_t counter_;
};

// Test options on packet runs.

// Skips one continuity-counter value at packets[index]: it and every later packet count one
// further, so exactly one discontinuity appears.
void BreakContinuity(std::vector<TsPacket>& packets, std::size_t index);

// XORs `mask` into byte `offset` of packets[index].
void CorruptByte(std::vector<TsPacket>& packets, std::size_t index, std::size_t offset,
                 std::uint8_t mask = 0xFF);

// The packets as one byte run.
std::vector<std::uint8_t> JoinPackets(const std::vector<TsPacket>& packets);

}  // namespace broadcast_sim
