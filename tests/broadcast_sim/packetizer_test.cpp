#include "broadcast_sim/packetizer.h"

#include <gtest/gtest.h>

namespace broadcast_sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Section SectionOf(std::size_t size, std::uint8_t fill) {
    return BuildSection(0x4E, Bytes(size - 7, fill));
}

int Counter(const TsPacket& p) {
    return p[3] & 0x0F;
}
bool UnitStart(const TsPacket& p) {
    return (p[1] & 0x40) != 0;
}

// The payload bytes of a run with the pointer_fields taken out.
Bytes Payload(const std::vector<TsPacket>& packets) {
    Bytes out;
    for (const TsPacket& p : packets)
        out.insert(out.end(), p.begin() + (UnitStart(p) ? 5 : 4), p.end());
    return out;
}

TEST(PacketizerTest, HeadersCountersAndStuffing) {
    Packetizer packetizer(0x1FF2, 14);
    const Section s = SectionOf(400, 0x33);
    const auto packets = packetizer.Packetize({s});
    ASSERT_EQ(packets.size(), 3u);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        EXPECT_EQ(packets[i][0], 0x47);
        EXPECT_EQ(((packets[i][1] & 0x1F) << 8) | packets[i][2], 0x1FF2);
        EXPECT_EQ(packets[i][3] & 0x30, 0x10);
        EXPECT_EQ(Counter(packets[i]), (14 + static_cast<int>(i)) % 16);
        EXPECT_EQ(UnitStart(packets[i]), i == 0);
    }
    EXPECT_EQ(packets[0][4], 0);
    const Bytes payload = Payload(packets);
    EXPECT_TRUE(std::equal(s.begin(), s.end(), payload.begin()));
    EXPECT_TRUE(
        std::all_of(payload.begin() + s.size(), payload.end(), [](auto b) { return b == 0xFF; }));
    EXPECT_EQ(packetizer.next_continuity_counter(), 1);
}

TEST(PacketizerTest, PackedSectionsGetPointerFields) {
    const Section a = SectionOf(100, 1), b = SectionOf(200, 2), c = SectionOf(50, 3);
    const auto packets = Packetizer(0x12).Packetize({a, b, c});
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0][4], 0);  // a begins at once; b begins inside the first packet too
    EXPECT_TRUE(UnitStart(packets[1]));
    EXPECT_EQ(packets[1][4], 300 - 183);  // c begins behind the rest of b
    const Bytes payload = Payload(packets);
    EXPECT_EQ(Bytes(payload.begin() + 300, payload.begin() + 350), c);
}

TEST(PacketizerTest, ASectionDueInTheLastByteBeginsTheNextPacket) {
    // The second packet carries 183 more bytes of the first section; the next section would
    // begin in its last byte, where a pointer_field cannot show it.
    const auto packets = Packetizer(0x12).Packetize({SectionOf(366, 1), SectionOf(20, 2)});
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_FALSE(UnitStart(packets[1]));
    EXPECT_EQ(packets[1][187], 0xFF);
    EXPECT_TRUE(UnitStart(packets[2]));
    EXPECT_EQ(packets[2][4], 0);
    EXPECT_EQ(packets[2][5], 0x4E);
}

TEST(PacketizerTest, PacketPerStartLayout) {
    const auto packets = Packetizer(0x12).Packetize({SectionOf(30, 1), SectionOf(30, 2)},
                                                    Packetizer::Layout::kPacketPerStart);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[1][4], 0);
    EXPECT_EQ(packets[1][5], 0x4E);
    EXPECT_EQ(packets[0][5 + 30], 0xFF);
}

TEST(PacketizerTest, BreakingAndCorrupting) {
    auto packets = Packetizer(0x12).Packetize({SectionOf(600, 1)});
    ASSERT_EQ(packets.size(), 4u);
    BreakContinuity(packets, 2);
    EXPECT_EQ(Counter(packets[1]), 1);
    EXPECT_EQ(Counter(packets[2]), 3);
    EXPECT_EQ(Counter(packets[3]), 4);
    CorruptByte(packets, 1, 10);
    EXPECT_EQ(packets[1][10], 0xFE);
    EXPECT_EQ(JoinPackets(packets).size(), 4u * 188);
}

}  // namespace
}  // namespace broadcast_sim
