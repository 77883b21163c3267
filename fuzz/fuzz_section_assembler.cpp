// Packets into a SectionAssembler. The first byte picks the mode: raw 188-byte packets as they
// come (their sync bytes mostly set), or the rest of the input read as sections with valid
// CRCs, packetized by the simulator with its continuity counter broken here and there.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "broadcast/section_assembler.h"
#include "broadcast_sim/packetizer.h"
#include "fuzz_sections.h"

namespace {

void Feed(broadcast::SectionAssembler& assembler, const std::uint8_t* bytes) {
    // An exact-size heap copy, so that any read past the packet is caught.
    std::vector<std::uint8_t> packet(bytes, bytes + broadcast::kTsPacketSize);
    const int result = assembler.AddPacket(packet.data());
    if (result != 0 && result != 1 && (result < 10 || result > 13)) std::abort();
    if (result == 1 && assembler.published_sections().size() != assembler.published_count()) {
        std::abort();
    }
}

void RawPackets(const std::uint8_t* data, std::size_t size) {
    broadcast::SectionAssembler assembler;
    std::uint8_t packet[broadcast::kTsPacketSize];
    for (std::size_t pos = 0; pos + sizeof(packet) <= size; pos += sizeof(packet)) {
        std::memcpy(packet, data + pos, sizeof(packet));
        if (packet[0] != 0x00) packet[0] = 0x47;
        Feed(assembler, packet);
    }
    assembler.AddPacket(nullptr);
}

void PacketizedSections(std::uint8_t mode, const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> stream(data, data + size);
    FixSectionCrcs(stream);
    std::vector<broadcast_sim::Section> sections{stream};
    const auto layout = (mode & 2) ? broadcast_sim::Packetizer::Layout::kPacked
                                   : broadcast_sim::Packetizer::Layout::kPacketPerStart;
    auto packets = broadcast_sim::Packetizer(0x12, mode >> 4).Packetize(sections, layout);
    if (mode & 4 && packets.size() > 1)
        broadcast_sim::BreakContinuity(packets, size % packets.size());
    broadcast::SectionAssembler assembler;
    for (const auto& packet : packets)
        Feed(assembler, packet.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1) {
        PacketizedSections(data[0], data + 1, size - 1);
    } else {
        RawPackets(data + 1, size - 1);
    }
    return 0;
}
