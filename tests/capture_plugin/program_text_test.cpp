#include <gtest/gtest.h>

#include "broadcast_sim/time_builder.h"
#include "capture_plugin/program_text.h"
#include "capture_plugin/program_time.h"
#include "platform/code_page.h"

namespace capture_plugin {
namespace {

using broadcast_sim::JstTime;
using platform::FILETIME;
using platform::SYSTEMTIME;

FILETIME File(const SYSTEMTIME& t) {
    FILETIME f;
    EXPECT_TRUE(platform::SystemTimeToFileTime(&t, &f));
    return f;
}

TEST(ProgramTimeTest, WindowIncludesBothEndsAndFillsTheGivenOutputs) {
    const SYSTEMTIME start = JstTime(2009, 1, 4, 20, 0);
    FILETIME startOut;
    FILETIME endOut;
    EXPECT_EQ(IsTimeInWindow(start, &startOut, 3600, File(start), &endOut), 1);
    EXPECT_EQ(platform::FileTimeToU64(startOut), platform::FileTimeToU64(File(start)));
    EXPECT_EQ(platform::FileTimeToU64(endOut),
              platform::FileTimeToU64(File(JstTime(2009, 1, 4, 21, 0))));
    EXPECT_EQ(IsTimeInWindow(start, nullptr, 3600, File(JstTime(2009, 1, 4, 21, 0)), nullptr), 1);
    EXPECT_EQ(IsTimeInWindow(start, nullptr, 3600, File(JstTime(2009, 1, 4, 21, 0, 1)), nullptr),
              0);
    EXPECT_EQ(IsTimeInWindow(start, nullptr, 3600, File(JstTime(2009, 1, 4, 19, 59, 59)), nullptr),
              0);
    // A start that is no date (month 13) is never on air.
    EXPECT_EQ(IsTimeInWindow(JstTime(2009, 13, 4, 20, 0), nullptr, 3600, File(start), nullptr), 0);
}

TEST(ProgramTimeTest, AddingSecondsCrossesDaysMonthsAndYears) {
    SYSTEMTIME out;
    ASSERT_EQ(AddSecondsToSystemTime(JstTime(2009, 12, 31, 23, 30), &out, 90 * 60), 1);
    EXPECT_EQ(out.wYear, 2010);
    EXPECT_EQ(out.wMonth, 1);
    EXPECT_EQ(out.wDay, 1);
    EXPECT_EQ(out.wHour, 1);
    EXPECT_EQ(out.wMinute, 0);
    EXPECT_EQ(out.wDayOfWeek, 5);  // a Friday
    EXPECT_EQ(AddSecondsToSystemTime(JstTime(2009, 1, 1, 0, 0), nullptr, 1), 0);
    EXPECT_EQ(AddSecondsToSystemTime(JstTime(2009, 2, 30, 0, 0), &out, 1), 0);
}

TEST(ProgramTimeTest, TimeRangeLineCarriesTheWeekdayOfItsStart) {
    std::wstring line;
    ASSERT_EQ(FormatProgramTimeRange(&line, JstTime(2009, 1, 4, 23, 30), JstTime(2009, 1, 5, 1, 0)),
              1);
    EXPECT_EQ(line, L"2009/01/04(日) 23:30～01:00");
    FormatProgramTimeRange(&line, JstTime(2009, 1, 10, 9, 5), JstTime(2009, 1, 10, 9, 55));
    EXPECT_EQ(line, L"2009/01/10(土) 09:05～09:55");
}

broadcast::EpgEventRecord Event(std::uint16_t id, const SYSTEMTIME& start, int minutes) {
    broadcast::EpgEventRecord e;
    e.serviceId = 1024;
    e.eventId = id;
    e.startYear = start.wYear;
    e.startMonth = static_cast<std::uint8_t>(start.wMonth);
    e.startDay = static_cast<std::uint8_t>(start.wDay);
    e.startHour = static_cast<std::uint8_t>(start.wHour);
    e.startMinute = static_cast<std::uint8_t>(start.wMinute);
    e.durationHours = static_cast<std::uint8_t>(minutes / 60);
    e.durationMinutes = static_cast<std::uint8_t>(minutes % 60);
    e.name = L"みなとニュース";
    e.text = L"一日の出来事";
    e.extendedText = L"出演者\r\n山田";
    return e;
}

TEST(ProgramTextTest, DisplayTextIsTheTimeRangeThenNameTextAndExtendedText) {
    const broadcast::EpgEventRecord e = Event(7, JstTime(2009, 1, 4, 19, 0), 30);
    EXPECT_EQ(EventDurationSeconds(e), 1800u);
    EXPECT_EQ(BuildProgramDisplayText(e, EventStart(e), JstTime(2009, 1, 4, 19, 30)),
              L"2009/01/04(日) 19:00～19:30\r\n\r\nみなとニュース\r\n\r\n一日の出来事\r\n\r\n"
              L"出演者\r\n山田\r\n\r\n");
}

TEST(ProgramTextTest, IepgTextHasExactlyItsNineLinesInShiftJis) {
    std::string text;
    ASSERT_EQ(BuildIepgText(&text, JstTime(2009, 1, 4, 23, 30), JstTime(2009, 1, 5, 1, 0),
                            L"深夜映画", L"テレビ東西"),
              1);
    EXPECT_EQ(text,
              "Content-type: application/x-tv-program-info; charset=Shift_JIS\r\n"
              "version: 1\r\n"
              "station: " +
                  platform::WideToShiftJis(L"テレビ東西") +
                  "\r\n"
                  "year: 2009\r\nmonth: 1\r\ndate: 4\r\nstart: 23:30\r\nend: 01:00\r\n"
                  "program-title: " +
                  platform::WideToShiftJis(L"深夜映画") + "\r\n");
    // Without a station the line ends right after the blank; unmappable characters become "?".
    BuildIepgText(&text, JstTime(2009, 1, 4, 9, 0), JstTime(2009, 1, 4, 9, 5), L"A\U0001F600", L"");
    EXPECT_NE(text.find("station: \r\n"), std::string::npos);
    EXPECT_NE(text.find("program-title: A?\r\n"), std::string::npos);
    EXPECT_EQ(
        BuildIepgText(nullptr, JstTime(2009, 1, 4, 9, 0), JstTime(2009, 1, 4, 9, 5), L"", L""), 0);
}

}  // namespace
}  // namespace capture_plugin
