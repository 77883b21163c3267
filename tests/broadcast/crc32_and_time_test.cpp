#include <gtest/gtest.h>

#include <string>

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

std::string Date(const SiDate& d) {
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

std::string Time(const SiTime& t) {
    return std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}

TEST(SiTimeTest, MjdConvertsBothWays) {
    const std::uint16_t mjd = broadcast_sim::EncodeMjd(1993, 10, 13);
    EXPECT_EQ(mjd, 49273);
    EXPECT_EQ(Date(MjdToDate(mjd)), "1993-10-13");
    EXPECT_EQ(Date(MjdToDate(0)), "1858-11-17");
    EXPECT_EQ(Date(MjdToDate(0xFFFF)), "2038-4-22");
    EXPECT_EQ(Date(MjdToDate(broadcast_sim::EncodeMjd(2024, 2, 29))), "2024-2-29");
}

TEST(SiTimeTest, BcdDigitsAboveNineCountZero) {
    EXPECT_EQ(BcdToNumber(0x59), 59);
    EXPECT_EQ(BcdToNumber(0x2A), 20);
    EXPECT_EQ(BcdToNumber(0xA5), 5);
    EXPECT_EQ(BcdToNumber(0x9F), 90);
    EXPECT_EQ(BcdToNumber(0xFF), 0);
    EXPECT_EQ(Time(BcdToTime(0x235959)), "23:59:59");
    EXPECT_EQ(Time(BcdToTimeOrUndefined(0xFFFFFF)), "255:255:255");
    EXPECT_EQ(Time(BcdToTimeOrUndefined(0x0A0000)), "0:0:0");
    EXPECT_EQ(Time(BcdToTime(0xFFFFFF)), "0:0:0");
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
