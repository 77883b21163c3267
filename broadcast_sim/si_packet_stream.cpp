#include "broadcast_sim/si_packet_stream.h"

namespace broadcast_sim {

void SiPacketStream::Add(std::uint16_t pid, const std::vector<Section>& sections,
                         Packetizer::Layout layout) {
    auto it = packetizers_.try_emplace(pid, pid).first;
    const std::vector<TsPacket> packets = it->second.Packetize(sections, layout);
    packets_.insert(packets_.end(), packets.begin(), packets.end());
}

}  // namespace broadcast_sim
