#include "timer_core/epg/iepg_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "tests/support/sandbox.h"

namespace timer_core {
namespace {

// A complete version 2 description; each test changes the line it is about.
std::vector<std::wstring> Lines() {
    return {L"Content-type: application/x-tv-program-digital-info; charset=shift_jis",
            L"version: 2",
            L"station: DFS00400",
            L"station-name: みなと総合",
            L"year: 2026",
            L"month: 12",
            L"date: 9",
            L"start: 21:00",
            L"end: 21:54",
            L"program-title: 港町ニュース９",
            L"program-id: 4660",
            L""};
}

std::vector<std::wstring> With(std::vector<std::wstring> lines, const std::wstring& key,
                               const std::wstring& replacement) {
    for (std::wstring& line : lines) {
        if (line.starts_with(key)) line = replacement;
    }
    return lines;
}

std::string Joined(const std::vector<std::wstring>& lines, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : separator) + platform::WideToShiftJis(lines[i]);
    return text;
}

TEST(IepgReaderTest, StationGivesNetworkClassAndServiceId) {
    struct Case {
        std::wstring station;
        std::int32_t networkClass;
        std::uint16_t serviceId;
    };
    for (const Case& c :
         {Case{L"DFS00400", 1, 0x400}, Case{L"BSDT101", 2, 101}, Case{L"CS333", 3, 333},
          Case{L"SKY0123", 3, 0x123}, Case{L"DFS", 1, 0xDF}, Case{L"", 3, 0}}) {
        IepgRecord record;
        EXPECT_EQ(ParseIepgVer2(&record, With(Lines(), L"station: ", L"station: " + c.station)), 1)
            << c.station;
        EXPECT_EQ(record.networkClass, c.networkClass) << c.station;
        EXPECT_EQ(record.serviceId, c.serviceId) << c.station;
    }
}

TEST(IepgReaderTest, EveryFieldIsReadAndOnlyTheEndHourDecidesTheWrap) {
    IepgRecord record;
    ASSERT_EQ(ParseIepgVer2(&record, Lines()), 1);
    EXPECT_EQ(record.title, L"港町ニュース９");
    EXPECT_EQ(record.stationName, L"みなと総合");
    EXPECT_EQ(record.start.wYear, 2026);
    EXPECT_EQ(record.start.wMonth, 12);
    EXPECT_EQ(record.start.wDay, 9);
    EXPECT_EQ(record.start.wHour, 21);
    EXPECT_EQ(record.start.wMinute, 0);
    EXPECT_EQ(record.start.wSecond, 0);
    EXPECT_EQ(record.durationMinutes, 54);
    EXPECT_EQ(record.eventId, 4660);

    struct Case {
        std::wstring start, end;
        std::int32_t minutes;
    };
    for (const Case& c : {Case{L"23:30", L"00:45", 75}, Case{L"10:50", L"10:10", -40},
                          Case{L" 9:05", L"+10:55", 110}}) {
        const auto lines =
            With(With(Lines(), L"start: ", L"start: " + c.start), L"end: ", L"end: " + c.end);
        ASSERT_EQ(ParseIepgVer2(&record, lines), 1) << c.start;
        EXPECT_EQ(record.durationMinutes, c.minutes) << c.start << L"-" << c.end;
    }
}

TEST(IepgReaderTest, NumbersNoProgrammeHasAreRefusedNotWrapped) {
    struct Case {
        const wchar_t* key;
        const wchar_t* line;
        const wchar_t* month = L"month: 12";
    };
    for (const Case& c :
         {Case{L"year: ", L"year: -2026"}, Case{L"year: ", L"year: 1600"},
          Case{L"year: ", L"year: 10000"}, Case{L"month: ", L"month: 13"},
          Case{L"month: ", L"month: 0"}, Case{L"date: ", L"date: 32"},
          Case{L"date: ", L"date: 31", L"month: 11"}, Case{L"start: ", L"start: 25:61"},
          Case{L"start: ", L"start: 21:60"}, Case{L"end: ", L"end: 24:00"},
          Case{L"end: ", L"end: 21:-5"}, Case{L"program-id: ", L"program-id: 65536"},
          Case{L"program-id: ", L"program-id: -1"}}) {
        IepgRecord record;
        EXPECT_EQ(ParseIepgVer2(&record, With(With(Lines(), L"month: ", c.month), c.key, c.line)),
                  0)
            << c.line;
    }
    // The edges of the calendar and the clock still read.
    IepgRecord record;
    const auto edges = With(With(With(With(Lines(), L"year: ", L"year: 2028"), L"month: ",
                                      L"month: 2"),
                                 L"date: ", L"date: 29"),
                            L"program-id: ", L"program-id: 65535");
    ASSERT_EQ(ParseIepgVer2(&record, With(With(edges, L"start: ", L"start: 23:59"), L"end: ",
                                          L"end: 0:00")),
              1);
    EXPECT_EQ(record.start.wDay, 29);
    EXPECT_EQ(record.durationMinutes, 1);
    EXPECT_EQ(record.eventId, 65535);
}

TEST(IepgReaderTest, KeysCountOnlyAtTheStartOfALineAndTheFirstOneWins) {
    IepgRecord record;
    // Any order, repeated keys: the first line from the top.
    std::vector<std::wstring> lines = Lines();
    std::reverse(lines.begin(), lines.end());
    lines.insert(lines.begin(), L"program-id: 17");
    lines.push_back(L"program-id: 18");
    ASSERT_EQ(ParseIepgVer2(&record, lines), 1);
    EXPECT_EQ(record.eventId, 17);

    EXPECT_EQ(ParseIepgVer2(&record, With(Lines(), L"version: ", L" version: 2")), 0);
    EXPECT_EQ(ParseIepgVer2(&record, With(Lines(), L"version: ", L"version:2")), 0);
    EXPECT_EQ(ParseIepgVer2(&record, With(Lines(), L"version: ", L"Version: 2")), 0);
    EXPECT_EQ(ParseIepgVer2(&record, With(Lines(), L"version: ", L"version: 1")), 0);
    EXPECT_EQ(ParseIepgVer2(&record, With(Lines(), L"version: ", L"version:  2.0")), 1);
    EXPECT_EQ(ParseIepgVer2(&record, {}), 0);
}

TEST(IepgReaderTest, AMissingKeyRefusesAfterSettingTheFieldsBeforeIt) {
    IepgRecord record;
    EXPECT_EQ(ParseIepgVer2(&record, With(Lines(), L"program-id: ", L"x-program-id: 5")), 0);
    EXPECT_EQ(record.title, L"港町ニュース９");
    EXPECT_EQ(record.eventId, 0);

    IepgRecord noColon;
    EXPECT_EQ(ParseIepgVer2(&noColon, With(Lines(), L"end: ", L"end: 2154")), 0);
    EXPECT_EQ(noColon.start.wHour, 21);
    EXPECT_EQ(noColon.durationMinutes, 0);
    EXPECT_TRUE(noColon.title.empty());
    EXPECT_EQ(ParseIepgVer2(&noColon, With(Lines(), L"start: ", L"start: 2100")), 0);
    EXPECT_EQ(ParseIepgVer2(&noColon, With(Lines(), L"station-name: ", L"station-name:")), 0);
}

class IepgFileTest : public ::testing::Test {
  protected:
    std::wstring Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(sandbox.Native(name), std::ios::binary) << bytes;
        return sandbox.Wide(name);
    }
    test_support::Sandbox sandbox;
};

TEST_F(IepgFileTest, ReadsShiftJisLinesUpToTheLastOneWithoutFinalLineEnd) {
    IepgRecord record;
    std::vector<std::wstring> lines = Lines();
    lines.pop_back();  // the file ends right after "program-id: 4660"
    ASSERT_EQ(ReadIepgFile(&record, Write("a.tvpid", Joined(lines, "\r\n"))), 1);
    EXPECT_EQ(record.stationName, L"みなと総合");
    EXPECT_EQ(record.title, L"港町ニュース９");
    EXPECT_EQ(record.eventId, 4660);

    // A title in a double-byte character whose second byte is a backslash still reads whole.
    IepgRecord sakura;
    const auto titled = With(Lines(), L"program-title: ", L"program-title: さくら表示ソ");
    ASSERT_EQ(ReadIepgFile(&sakura, Write("b.tvpid", Joined(titled, "\r\n"))), 1);
    EXPECT_EQ(sakura.title, L"さくら表示ソ");
}

TEST_F(IepgFileTest, OnlyCrLfEndsALineAndAZeroByteEndsTheText) {
    IepgRecord record;
    EXPECT_EQ(ReadIepgFile(&record, Write("lf.tvpid", Joined(Lines(), "\n"))), 0);
    // A lone CR stays in its line: the end key is then part of the start line.
    std::string text = Joined(Lines(), "\r\n");
    text.replace(text.find("\r\nend: "), 2, "\r");
    EXPECT_EQ(ReadIepgFile(&record, Write("cr.tvpid", text)), 0);

    std::string zero = Joined(Lines(), "\r\n");
    zero.insert(zero.find("program-id: "), std::string(1, '\0'));
    EXPECT_EQ(ReadIepgFile(&record, Write("zero.tvpid", zero)), 0);
    EXPECT_EQ(record.title, L"港町ニュース９");
}

TEST_F(IepgFileTest, EmptyFileReadsWithoutSettingAnything) {
    IepgRecord record;
    record.eventId = 77;
    EXPECT_EQ(ReadIepgFile(&record, Write("empty.tvpid", "")), 1);
    EXPECT_EQ(record.eventId, 77);
    EXPECT_TRUE(record.title.empty());
    EXPECT_EQ(record.networkClass, 0);
}

TEST_F(IepgFileTest, WhatIsNotAReadableRegularFileOfSensibleSizeIsRefused) {
    IepgRecord record;
    EXPECT_EQ(ReadIepgFile(&record, L""), 0);
    EXPECT_EQ(ReadIepgFile(&record, sandbox.Wide("missing.tvpid")), 0);
    EXPECT_EQ(ReadIepgFile(&record, sandbox.Wide("")), 0);  // the folder itself
    ASSERT_EQ(::mkfifo(sandbox.Native("pipe.tvpid").c_str(), 0600), 0);
    EXPECT_EQ(ReadIepgFile(&record, sandbox.Wide("pipe.tvpid")), 0);  // and returns at once

    std::string big = Joined(Lines(), "\r\n");
    big.resize(kMaxIepgFileBytes + 1, ' ');
    EXPECT_EQ(ReadIepgFile(&record, Write("big.tvpid", big)), 0);
    big.resize(kMaxIepgFileBytes);
    EXPECT_EQ(ReadIepgFile(&record, Write("limit.tvpid", big)), 1);
}

}  // namespace
}  // namespace timer_core
