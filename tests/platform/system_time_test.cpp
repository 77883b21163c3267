#include "platform/system_time.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

SYSTEMTIME Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    SYSTEMTIME st;
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(ms);
    return st;
}

TEST(SystemTimeTest, KnownInstantsConvertBothWays) {
    struct Case {
        SYSTEMTIME st;
        std::uint64_t ft;
        int weekday;
    };
    const Case cases[] = {
        {Make(1601, 1, 1), 0, 1},
        {Make(1970, 1, 1), 116444736000000000ULL, 4},
        {Make(2000, 2, 29, 23, 59, 59, 999), 125963423999990000ULL, 2},
        {Make(2026, 12, 9, 4, 23, 14), 134412637940000000ULL, 3},
    };
    for (const Case& c : cases) {
        FILETIME ft{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft));
        EXPECT_EQ(FileTimeToU64(ft), c.ft);
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wYear, c.st.wYear);
        EXPECT_EQ(back.wMonth, c.st.wMonth);
        EXPECT_EQ(back.wDay, c.st.wDay);
        EXPECT_EQ(back.wHour, c.st.wHour);
        EXPECT_EQ(back.wMinute, c.st.wMinute);
        EXPECT_EQ(back.wSecond, c.st.wSecond);
        EXPECT_EQ(back.wMilliseconds, c.st.wMilliseconds);
        EXPECT_EQ(back.wDayOfWeek, c.weekday);
    }
}

TEST(SystemTimeTest, RefusesDatesWindowsRefuses) {
    const SYSTEMTIME bad[] = {
        Make(1600, 12, 31),      Make(2023, 2, 29),          Make(2024, 13, 1),
        Make(2024, 0, 1),        Make(2024, 4, 31),          Make(2024, 1, 1, 24),
        Make(2024, 1, 1, 0, 60), Make(2024, 1, 1, 0, 0, 60), Make(2024, 1, 1, 0, 0, 0, 1000),
        Make(30828, 1, 1)};
    for (const SYSTEMTIME& st : bad) {
        FILETIME ft{7, 7};
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft)) << st.wYear << "-" << st.wMonth;
        EXPECT_EQ(ft.dwLowDateTime, 7u);
    }
    const SYSTEMTIME leap = Make(2024, 2, 29);
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&leap, &ft));
    const FILETIME tooLarge = U64ToFileTime(0x8000000000000000ULL);
    SYSTEMTIME out{};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &out));
}

TEST(SystemTimeTest, DayArithmeticCrossesMonthsAndYears) {
    FILETIME ft{};
    const SYSTEMTIME nye = Make(2026, 12, 31, 23, 30);
    ASSERT_TRUE(SystemTimeToFileTime(&nye, &ft));
    const FILETIME next = U64ToFileTime(FileTimeToU64(ft) + kFileTimePerDay);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&next, &st));
    EXPECT_EQ(st.wYear, 2027);
    EXPECT_EQ(st.wMonth, 1);
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(DayOfWeek(2027, 1, 1), 5);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
}

}  // namespace
}  // namespace platform
