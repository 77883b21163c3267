#include "broadcast_sim/section_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "broadcast/crc32.h"
#include "broadcast_sim/si_encoding.h"

namespace broadcast_sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

int SectionLength(const Section& s) {
    return ((s[1] & 0x0F) << 8) | s[2];
}

TEST(SectionBuilderTest, LengthAndCrcCoverTheBody) {
    const Bytes body(100, 0x5A);
    const Section s = BuildSection(0x4E, body);
    ASSERT_EQ(s.size(), 3 + body.size() + 4);
    EXPECT_EQ(s[0], 0x4E);
    EXPECT_EQ(s[1] & 0xF0, 0xF0);
    EXPECT_EQ(SectionLength(s), 104);
    EXPECT_EQ(broadcast::CalcCrc32(static_cast<int>(s.size()), s.data()), 0u);
    EXPECT_EQ(BuildSection(0x00, body, 0xB0)[1] & 0xF0, 0xB0);
}

TEST(SectionBuilderTest, LongHeaderFields) {
    const Section s = BuildLongSection({0x50, 0x0400, 31, false, 0x1F, 0xF8}, Bytes{1, 2});
    ASSERT_EQ(s.size(), 3 + 5 + 2 + 4u);
    EXPECT_EQ(s[3], 0x04);
    EXPECT_EQ(s[4], 0x00);
    EXPECT_EQ(s[5], 0xC0 | (31 << 1));
    EXPECT_EQ(s[6], 0x1F);
    EXPECT_EQ(s[7], 0xF8);
    EXPECT_EQ(s[8], 1);
}

TEST(SectionBuilderTest, ShortSectionsHaveNoCrcAndBodiesHaveALimit) {
    const Section tdt = BuildShortSection(0x70, Bytes{1, 2, 3, 4, 5});
    ASSERT_EQ(tdt.size(), 8u);
    EXPECT_EQ(tdt[1], 0x70);
    EXPECT_EQ(tdt[2], 5);
    EXPECT_NO_THROW(BuildSection(0x4E, Bytes(4089, 0)));
    EXPECT_THROW(BuildSection(0x4E, Bytes(4090, 0)), std::length_error);
}

TEST(SectionBuilderTest, RefreshCrcRepairsAnEditedSection) {
    Section s = BuildSection(0x42, Bytes(20, 1));
    s[10] = 9;
    EXPECT_NE(broadcast::CalcCrc32(static_cast<int>(s.size()), s.data()), 0u);
    RefreshCrc(s);
    EXPECT_EQ(broadcast::CalcCrc32(static_cast<int>(s.size()), s.data()), 0u);
}

TEST(SiEncodingTest, MjdAndBcd) {
    EXPECT_EQ(EncodeMjd(1858, 11, 17), 0);
    EXPECT_EQ(EncodeMjd(1993, 10, 13), 49273);
    EXPECT_EQ(EncodeBcd(59), 0x59);
    EXPECT_EQ(EncodeBcdTime(23, 4, 5), 0x230405u);
}

}  // namespace
}  // namespace broadcast_sim
