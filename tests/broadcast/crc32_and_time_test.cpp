#include <gtest/gtest.h>

#include "broadcast/crc32.h"
#include "broadcast/si_time.h"
#include "broadcast_sim/si_encoding.h"

namespace broadcast {
namespace {

TEST(Crc32Test, MatchesTheMpeg2CheckValue) {
    const char* check = "123456789";
    EXPECT_EQ(CalcCrc32(9, reinterpret_cast<const std::uint8_t*>(check)), 0x0376E6E7u);
    EXPECT_EQ(CalcCrc32(0, nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(CalcCrc32(-3, nullptr), 0xFFFFFFFFu);
}

TEST(Crc32Test, ASectionWithItsCrcAppendedLeavesZero) {
    std::uint8_t bytes[9] = {0x00, 0xB0, 0x05, 0x12, 0x34};
    const std::uint32_t crc = CalcCrc32(5, bytes);
    for (int i = 0; i < 4; ++i)
        bytes[5 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    EXPECT_EQ(CalcCrc32(9, bytes), 0u);
}

TEST(SiTimeTest, MjdConvertsBothWays) {
    const std::uint16_t mjd = broadcast_sim::EncodeMjd(1993, 10, 13);
    EXPECT_EQ(mjd, 49273);
    const SiDate date = MjdToDate(mjd);
    EXPECT_EQ(date.year, 1993);
    EXPECT_EQ(date.month, 10);
    EXPECT_EQ(date.day, 13);

    const SiDate origin = MjdToDate(0);
    EXPECT_EQ(origin.year, 1858);
    EXPECT_EQ(origin.month, 11);
    EXPECT_EQ(origin.day, 17);
    const SiDate last = MjdToDate(0xFFFF);
    EXPECT_EQ(last.year, 2038);
    EXPECT_EQ(last.month, 4);
    EXPECT_EQ(last.day, 22);
    const SiDate leap = MjdToDate(broadcast_sim::EncodeMjd(2024, 2, 29));
    EXPECT_EQ(leap.month, 2);
    EXPECT_EQ(leap.day, 29);
}

TEST(SiTimeTest, BcdDigitsAboveNineCountZero) {
    EXPECT_EQ(BcdToNumber(0x59), 59);
    EXPECT_EQ(BcdToNumber(0x2A), 20);
    EXPECT_EQ(BcdToNumber(0xA5), 5);
    EXPECT_EQ(BcdToNumber(0x9F), 90);
    EXPECT_EQ(BcdToNumber(0xFF), 0);
    const SiTime t = BcdToTime(0x235959);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 59);
    const SiTime undefined = BcdToTimeOrUndefined(0xFFFFFF);
    EXPECT_EQ(undefined.hour, 255);
    EXPECT_EQ(undefined.minute, 255);
    EXPECT_EQ(undefined.second, 255);
    EXPECT_EQ(BcdToTime(0xFFFFFF).hour, 0);
}

TEST(SiTimeTest, AddDaysKeepsTheTimeOfDayAndCrossesMonthsAndYears) {
    platform::SYSTEMTIME t;
    t.wYear = 2023;
    t.wMonth = 12;
    t.wDay = 31;
    t.wHour = 23;
    t.wMinute = 59;
    t.wSecond = 58;
    ASSERT_EQ(AddDaysToSystemTime(&t, 60), 1);
    EXPECT_EQ(t.wYear, 2024);
    EXPECT_EQ(t.wMonth, 2);
    EXPECT_EQ(t.wDay, 29);
    EXPECT_EQ(t.wHour, 23);
    EXPECT_EQ(t.wSecond, 58);
    ASSERT_EQ(AddDaysToSystemTime(&t, -60), 1);
    EXPECT_EQ(t.wYear, 2023);
    EXPECT_EQ(t.wDay, 31);
}

TEST(SiTimeTest, AddDaysRefusesAnInvalidDateAndLeavesIt) {
    platform::SYSTEMTIME t;
    t.wYear = 2023;
    t.wMonth = 2;
    t.wDay = 30;
    EXPECT_EQ(AddDaysToSystemTime(&t, 1), 0);
    EXPECT_EQ(t.wDay, 30);
    t.wDay = 1;
    t.wYear = 1601;
    t.wMonth = 1;
    EXPECT_EQ(AddDaysToSystemTime(&t, -1), 0);
    EXPECT_EQ(t.wYear, 1601);
    EXPECT_EQ(AddDaysToSystemTime(nullptr, 1), 0);
}

}  // namespace
}  // namespace broadcast
