#include "broadcast/section_assembler.h"

#include <gtest/gtest.h>

#include "broadcast_sim/packetizer.h"
#include "tests/support/si_test_util.h"

namespace broadcast::test {
namespace {

using broadcast_sim::Packetizer;
using broadcast_sim::TsPacket;

// A PAT of `entries` programmes (12 + 4 x entries bytes) whose transport_stream_id tells it.
Bytes PatSectionOf(std::uint16_t tsid, int entries) {
    ByteWriter w;
    for (int i = 0; i < entries; ++i)
        w.U16(i + 1).U16(0xE100 + i);
    return broadcast_sim::BuildLongSection({0x00, tsid, 0, true, 0, 0}, w.bytes(), 0xB0);
}

TsPacket Packet(bool unit_start, int counter, const Bytes& payload) {
    TsPacket p = broadcast_sim::MakePacket(0x11, unit_start, 0, static_cast<std::uint8_t>(counter));
    std::copy(payload.begin(), payload.begin() + std::min<std::size_t>(payload.size(), 184),
              p.begin() + 4);
    return p;
}

std::vector<std::uint16_t> PublishedTsids(const SectionAssembler& a) {
    std::vector<std::uint16_t> ids;
    for (const auto& record : a.published_sections()) {
        ids.push_back(record->pat ? record->pat->transport_stream_id : 0xFFFF);
    }
    EXPECT_EQ(a.published_count(), ids.size());
    return ids;
}

using Ids = std::vector<std::uint16_t>;

TEST(SectionAssemblerTest, OnePacketSectionWithStuffingPublishesOneRecord) {
    SectionAssembler a;
    const TsPacket p = Packet(true, 0, Concat({Bytes{0x00}, PatSectionOf(7, 3)}));
    EXPECT_EQ(a.AddPacket(p.data()), 1);
    EXPECT_EQ(PublishedTsids(a), Ids{7});
}

TEST(SectionAssemblerTest, ASectionOverThreePacketsGivesTenTenOne) {
    Packetizer packetizer(0x11);
    const auto packets = packetizer.Packetize({PatSectionOf(9, 100)});
    ASSERT_EQ(packets.size(), 3u);
    SectionAssembler a;
    EXPECT_EQ(a.AddPacket(packets[0].data()), 10);
    EXPECT_EQ(a.AddPacket(packets[1].data()), 10);
    EXPECT_EQ(a.AddPacket(packets[2].data()), 1);
    EXPECT_EQ(PublishedTsids(a), Ids{9});
}

TEST(SectionAssemblerTest, TwoSectionsInOnePacketPublishTogether) {
    SectionAssembler a;
    const TsPacket p =
        Packet(true, 0, Concat({Bytes{0x00}, PatSectionOf(1, 2), PatSectionOf(2, 5)}));
    EXPECT_EQ(a.AddPacket(p.data()), 1);
    EXPECT_EQ(PublishedTsids(a), (Ids{1, 2}));
}

TEST(SectionAssemblerTest, ARepeatedCounterDropsTheUnitInProgress) {
    Packetizer packetizer(0x11);
    const auto packets = packetizer.Packetize({PatSectionOf(9, 100)});
    SectionAssembler a;
    EXPECT_EQ(a.AddPacket(packets[0].data()), 10);
    EXPECT_EQ(a.AddPacket(packets[0].data()), 10);  // a repeated unit start begins afresh
    TsPacket repeat = packets[1];
    EXPECT_EQ(a.AddPacket(packets[1].data()), 10);
    EXPECT_EQ(a.AddPacket(repeat.data()), 12);  // a repeated continuation has no unit left
    EXPECT_EQ(a.AddPacket(packets[2].data()), 12);
}

TEST(SectionAssemblerTest, CounterFifteenIsFollowedByZero) {
    Packetizer packetizer(0x11, 15);
    const auto packets = packetizer.Packetize({PatSectionOf(4, 60)});
    ASSERT_EQ(packets.size(), 2u);
    ASSERT_EQ(packets[1][3] & 0x0F, 0);
    SectionAssembler a;
    EXPECT_EQ(a.AddPacket(packets[0].data()), 10);
    EXPECT_EQ(a.AddPacket(packets[1].data()), 1);
    EXPECT_EQ(PublishedTsids(a), Ids{4});
}

TEST(SectionAssemblerTest, AContinuityBreakLosesOnlyTheUnitInProgress) {
    Packetizer packetizer(0x11);
    auto packets =
        packetizer.Packetize({PatSectionOf(1, 100)}, Packetizer::Layout::kPacketPerStart);
    auto more = packetizer.Packetize({PatSectionOf(2, 10)});
    packets.insert(packets.end(), more.begin(), more.end());
    broadcast_sim::BreakContinuity(packets, 1);
    SectionAssembler a;
    EXPECT_EQ(a.AddPacket(packets[0].data()), 10);
    EXPECT_EQ(a.AddPacket(packets[1].data()), 12);
    EXPECT_EQ(a.AddPacket(packets[2].data()), 12);
    EXPECT_EQ(a.AddPacket(packets[3].data()), 1);
    EXPECT_EQ(PublishedTsids(a), Ids{2});
}

TEST(SectionAssemblerTest, APacketWithOnlyAnAdaptationFieldPublishesNothing) {
    SectionAssembler a;
    ASSERT_EQ(a.AddPacket(Packet(true, 0, Concat({Bytes{0x00}, PatSectionOf(7, 1)})).data()), 1);
    TsPacket p = Packet(false, 1, {});
    p[3] = 0x20 | 1;
    p[4] = 183;
    EXPECT_EQ(a.AddPacket(p.data()), 1);
    EXPECT_EQ(a.published_count(), 0u);
    EXPECT_TRUE(a.published_sections().empty());
}

TEST(SectionAssemblerTest, AUnitStartWhileTheUnitIsIncompleteLosesBoth) {
    const auto first = Packetizer(0x11, 0).Packetize({PatSectionOf(1, 100)});
    const auto second = Packetizer(0x11, 1).Packetize({PatSectionOf(2, 100)});
    SectionAssembler a;
    EXPECT_EQ(a.AddPacket(first[0].data()), 10);
    EXPECT_EQ(a.AddPacket(second[0].data()), 13);
    EXPECT_EQ(a.AddPacket(second[1].data()), 12);
    EXPECT_EQ(a.AddPacket(second[2].data()), 12);
}

TEST(SectionAssemblerTest, BadPacketsReturnTheirCodes) {
    SectionAssembler a;
    TsPacket p = Packet(true, 0, Concat({Bytes{0x00}, PatSectionOf(7, 1)}));
    p[0] = 0x48;
    EXPECT_EQ(a.AddPacket(p.data()), 11);
    EXPECT_EQ(a.AddPacket(nullptr), 0);
    EXPECT_EQ(a.AddPacket(Packet(false, 0, Bytes(184, 0)).data()), 12);
}

TEST(SectionAssemblerTest, APointerPastThePacketKeepsTheUnitPending) {
    Packetizer packetizer(0x11);
    const auto packets = packetizer.Packetize({PatSectionOf(9, 100)});
    SectionAssembler a;
    ASSERT_EQ(a.AddPacket(packets[0].data()), 10);
    TsPacket bad = Packet(true, 1, Bytes{184});  // pointer_field 184: behind the packet's end
    EXPECT_EQ(a.AddPacket(bad.data()), 13);
    TsPacket rest = packets[1];
    rest[3] = 0x10 | 2;
    EXPECT_EQ(a.AddPacket(rest.data()), 10);
    TsPacket last = packets[2];
    last[3] = 0x10 | 3;
    EXPECT_EQ(a.AddPacket(last.data()), 1);
    EXPECT_EQ(PublishedTsids(a), Ids{9});
}

TEST(SectionAssemblerTest, APointerThatFillsThePacketPublishesWhatItClosed) {
    // 183 + 183 bytes: the second packet's pointer_field covers the rest of its payload.
    const Bytes section = broadcast_sim::BuildSection(0x4A, Bytes(366 - 7, 0x5A));
    SectionAssembler a;
    ASSERT_EQ(a.AddPacket(Packet(true, 0, Concat({Bytes{0}, section})).data()), 10);
    const Bytes tail(section.begin() + 183, section.end());
    ASSERT_EQ(tail.size(), 183u);
    EXPECT_EQ(a.AddPacket(Packet(true, 1, Concat({Bytes{183}, tail})).data()), 1);
    ASSERT_EQ(a.published_count(), 1u);
    EXPECT_EQ(a.published_sections()[0]->table_id, 0x4A);
}

TEST(SectionAssemblerTest, AnAdaptationFieldThatFillsAUnitStartIsRefused) {
    SectionAssembler a;
    for (int length : {183, 200, 255}) {
        TsPacket p = Packet(true, 0, {});
        p[3] = 0x30;
        p[4] = static_cast<std::uint8_t>(length);
        EXPECT_EQ(a.AddPacket(p.data()), 13) << length;
        a.Reset();
    }
    TsPacket p = Packet(false, 0, {});
    p[3] = 0x30;
    p[4] = 255;
    EXPECT_EQ(a.AddPacket(p.data()), 12);
}

TEST(SectionAssemblerTest, ResetDropsThePublishedSections) {
    SectionAssembler a;
    ASSERT_EQ(a.AddPacket(Packet(true, 0, Concat({Bytes{0x00}, PatSectionOf(7, 1)})).data()), 1);
    ASSERT_EQ(a.published_count(), 1u);
    a.Reset();
    EXPECT_EQ(a.published_count(), 0u);
    EXPECT_TRUE(a.published_sections().empty());
}

// A section whose first one, two or three bytes end the unit's first packet is not lost.
TEST(SectionAssemblerTest, ASectionHeaderCutByThePacketEndWaitsForTheRest) {
    for (int cut = 1; cut <= 3; ++cut) {
        const Bytes first = broadcast_sim::BuildSection(0x4A, Bytes(183 - cut - 7, 0x11));
        const auto packets = Packetizer(0x11).Packetize({first, PatSectionOf(2, 40)});
        ASSERT_EQ(packets.size(), 2u);
        ASSERT_EQ(packets[1][1] & 0x40, 0);
        SectionAssembler a;
        EXPECT_EQ(a.AddPacket(packets[0].data()), 10) << cut;
        EXPECT_EQ(a.AddPacket(packets[1].data()), 1) << cut;
        ASSERT_EQ(a.published_count(), 2u) << cut;
        EXPECT_EQ(a.published_sections()[0]->table_id, 0x4A);
        EXPECT_EQ(a.published_sections()[1]->pat->transport_stream_id, 2);
    }
}

// A long run of packed sections of every size comes back whole and in order.
TEST(SectionAssemblerTest, APackedRunOfSectionsComesBackInOrder) {
    std::vector<broadcast_sim::Section> sections;
    Ids expected;
    for (int i = 0; i < 300; ++i) {
        sections.push_back(PatSectionOf(static_cast<std::uint16_t>(i), (i * 37) % 260));
        expected.push_back(static_cast<std::uint16_t>(i));
    }
    Packetizer packetizer(0x12, 3);
    const auto packets = packetizer.Packetize(sections);
    SectionAssembler a;
    Ids got;
    for (const TsPacket& p : packets) {
        const int result = a.AddPacket(p.data());
        ASSERT_TRUE(result == 1 || result == 10) << result;
        if (result == 1) {
            const Ids ids = PublishedTsids(a);
            got.insert(got.end(), ids.begin(), ids.end());
        }
    }
    EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace broadcast::test
