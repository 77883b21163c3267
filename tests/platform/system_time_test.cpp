#include "platform/system_time.h"

#include <gtest/gtest.h>

#include <cstdint>

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

TEST(SystemTimeTest, AddingMovesThroughFileTimeAndRefusesWhatFileTimeCannotHold) {
    SYSTEMTIME out{};
    ASSERT_TRUE(AddToSystemTime(Make(2024, 2, 28, 23, 59), 60 * kFileTimePerSecond, &out));
    EXPECT_EQ(out.wMonth, 2);
    EXPECT_EQ(out.wDay, 29);
    EXPECT_EQ(out.wHour, 0);
    EXPECT_EQ(out.wDayOfWeek, 4);  // filled, though the input left it 0
    ASSERT_TRUE(AddToSystemTime(Make(2027, 1, 1), -1, &out));
    EXPECT_EQ(out.wYear, 2026);
    EXPECT_EQ(out.wMilliseconds, 999);
    // In and out may be one variable.
    SYSTEMTIME same = Make(2026, 12, 31, 12);
    ASSERT_TRUE(AddToSystemTime(same, static_cast<std::int64_t>(kFileTimePerDay), &same));
    EXPECT_EQ(same.wYear, 2027);

    // An invalid start, a result before 1601 or past FILETIME's range: refused, out untouched.
    const SYSTEMTIME untouched = Make(2000, 1, 1);
    out = untouched;
    EXPECT_FALSE(AddToSystemTime(Make(2023, 2, 29), 0, &out));
    EXPECT_FALSE(AddToSystemTime(Make(1601, 1, 1), -1, &out));
    EXPECT_FALSE(AddToSystemTime(Make(30827, 12, 31), INT64_MAX, &out));
    EXPECT_FALSE(AddToSystemTime(Make(30827, 12, 31), INT64_MIN, &out));
    EXPECT_EQ(out.wYear, untouched.wYear);
    EXPECT_FALSE(AddToSystemTime(Make(2024, 1, 1), 0, nullptr));
    // From the last date a SYSTEMTIME may hold, the last instant FILETIME holds (in 30828) is
    // reached, the next one is not.
    const SYSTEMTIME lastDate = Make(30827, 12, 31, 23, 59, 59, 999);
    FILETIME lastDateTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&lastDate, &lastDateTime));
    const auto toLast =
        static_cast<std::int64_t>(0x7FFFFFFFFFFFFFFFULL - FileTimeToU64(lastDateTime));
    ASSERT_TRUE(AddToSystemTime(lastDate, toLast, &out));
    EXPECT_EQ(out.wYear, 30828);
    EXPECT_FALSE(AddToSystemTime(lastDate, toLast + 1, &out));
}

}  // namespace
}  // namespace platform
