#include "broadcast_sim/packetizer.h"

#include <algorithm>
#include <cstring>

namespace broadcast_sim {
namespace {

constexpr std::size_t kPayload = 184;  // bytes behind the 4-byte header

}  // namespace

std::vector<TsPacket> Packetizer::Packetize(const std::vector<Section>& sections, Layout layout) {
    std::vector<TsPacket> out;
    std::vector<std::uint8_t> stream;
    std::vector<std::size_t> starts;
    for (const Section& section : sections) {
        starts.push_back(stream.size());
        stream.insert(stream.end(), section.begin(), section.end());
        if (layout == Layout::kPacketPerStart) {
            PacketizeRun(stream, starts, out);
            stream.clear();
            starts.clear();
        }
    }
    PacketizeRun(stream, starts, out);
    return out;
}

void Packetizer::PacketizeRun(const std::vector<std::uint8_t>& stream,
                              const std::vector<std::size_t>& starts, std::vector<TsPacket>& out) {
    std::size_t pos = 0;
    auto next = starts.begin();
    while (pos < stream.size()) {
        next = std::lower_bound(next, starts.end(), pos);
        const std::size_t gap = next == starts.end() ? kPayload : *next - pos;
        // A section begins here when at least its first byte fits behind the pointer_field.
        const bool unit_start = gap < kPayload - 1;
        TsPacket packet = NextPacket(unit_start);
        std::size_t offset = 4;
        if (unit_start) packet[offset++] = static_cast<std::uint8_t>(gap);
        std::size_t take = std::min(packet.size() - offset, stream.size() - pos);
        // A section that would begin in the very last byte begins the next packet instead.
        if (!unit_start) take = std::min(take, gap);
        std::memcpy(packet.data() + offset, stream.data() + pos, take);
        pos += take;
        out.push_back(packet);
    }
}

TsPacket MakePacket(std::uint16_t pid, bool unit_start, std::uint8_t scrambling,
                    std::uint8_t continuity_counter) {
    TsPacket packet;
    packet.fill(0xFF);
    packet[0] = 0x47;
    packet[1] = static_cast<std::uint8_t>((unit_start ? 0x40 : 0x00) | ((pid >> 8) & 0x1F));
    packet[2] = static_cast<std::uint8_t>(pid);
    packet[3] =
        static_cast<std::uint8_t>(((scrambling & 3) << 6) | 0x10 | (continuity_counter & 0x0F));
    return packet;
}

TsPacket Packetizer::NextPacket(bool unit_start) {
    const TsPacket packet = MakePacket(pid_, unit_start, 0, counter_);
    counter_ = (counter_ + 1) & 0x0F;
    return packet;
}

void BreakContinuity(std::vector<TsPacket>& packets, std::size_t index) {
    for (std::size_t i = index; i < packets.size(); ++i) {
        std::uint8_t& b = packets[i][3];
        b = static_cast<std::uint8_t>((b & 0xF0) | ((b + 1) & 0x0F));
    }
}

void CorruptByte(std::vector<TsPacket>& packets, std::size_t index, std::size_t offset,
                 std::uint8_t mask) {
    packets.at(index).at(offset) ^= mask;
}

std::vector<std::uint8_t> JoinPackets(const std::vector<TsPacket>& packets) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(packets.size() * sizeof(TsPacket));
    for (const TsPacket& p : packets)
        bytes.insert(bytes.end(), p.begin(), p.end());
    return bytes;
}

}  // namespace broadcast_sim
