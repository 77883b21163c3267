// Program.txt: the exact line form, what the load and the merge take and renumber, the texts the
// load sets, and round trips.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/timer_core/program_file_fixture.h"
#include "tests/timer_core/reservation_samples.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/reservations/reserve_list.h"

namespace timer_core {
namespace {

using reservation_samples::At;
using reservation_samples::Entry;
using reservation_samples::Sjis;

class ProgramFileTest : public reservation_samples::ProgramFileFixture {};

std::vector<std::int32_t> Ids(const ReserveList& store) {
    std::vector<std::int32_t> ids;
    for (const ReserveEntry& entry : store.Entries())
        ids.push_back(entry.id);
    return ids;
}

std::vector<std::wstring> Titles(const ReserveList& store) {
    std::vector<std::wstring> titles;
    for (const ReserveEntry& entry : store.Entries())
        titles.push_back(entry.title);
    return titles;
}

// A line of the file for a reservation in 2090 with the given title, day and ID column.
std::string Line(const std::string& title, int day, const std::string& id,
                 const std::string& rest = "\t\r\n") {
    return "2090/05/0" + std::to_string(day) + "\t21:00\t00:30\t" + title + "\t" +
           Sjis(L"みなと総合") + "\t27\t1024\t4096\t2\t1\t" + id + rest;
}

TEST_F(ProgramFileTest, LoadSkipsWhatIsNoReservationAndSaveKeepsBrokenLinesAtTheEnd) {
    const std::string broken =
        Line("no eleventh tab", 1, "8", "\r\n") +
        "2090-05-01\t21:00\t00:30\tno slash\tx\t1\t2\t3\t4\t5\t6\t\r\n"
        "2090/05/01\t2100\t00:30\tno colon\tx\t1\t2\t3\t4\t5\t6\t\r\n"
        "2090/05/01\t21:00\t0030\tno colon\tx\t1\t2\t3\t4\t5\t6\t\r\n";
    WriteProgram(
        ";2090/05/01\t21:00\t00:30\tcomment\tx\t1\t2\t3\t4\t5\t6\t\r\n"
        "\r\n"
        "no tab at all\r\n" +
        Line("first", 1, "7") + broken + Line("second", 3, "7") + Line("third", 2, "0", "\t"));
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    // Start order, but numbered in file order; the file's own IDs (a duplicate 7, a 0) are gone.
    EXPECT_EQ(Titles(store), (std::vector<std::wstring>{L"first", L"third", L"second"}));
    EXPECT_EQ(Ids(store), (std::vector<std::int32_t>{1, 3, 2}));
    // Comments and lines without a TAB go; a line someone broke stays to be mended, also
    // through a second load and save.
    const std::string saved =
        Line("first", 1, "1") + Line("third", 2, "3") + Line("second", 3, "2") + broken;
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(ReadProgram(), saved);
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(Ids(store), (std::vector<std::int32_t>{1, 2, 3}));
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(ReadProgram(),
              Line("first", 1, "1") + Line("third", 2, "2") + Line("second", 3, "3") + broken);
}

TEST_F(ProgramFileTest, EmptyMissingAndUnnamedFiles) {
    WriteProgram("");
    ReserveList store;
    EXPECT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.MergeNewFromProgramFile(ProgramPath()), 1);

    const ReserveEntry entry = Entry(L"夜のニュース", At(2090, 5, 1, 21, 0), 1);
    store.Add(&entry, 0);
    EXPECT_EQ(store.LoadProgramFile(L""), 0);  // an empty path changes nothing
    EXPECT_EQ(store.MergeNewFromProgramFile(L""), 0);
    EXPECT_EQ(store.SaveProgramFile(L""), 0);
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.MergeNewFromProgramFile(sandbox_.Wide("missing.txt")), 0);
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.LoadProgramFile(sandbox_.Wide("missing.txt")), 0);  // the store is emptied
    EXPECT_EQ(store.Count(), 0u);
}

TEST_F(ProgramFileTest, SavedFileReadsBackByteForByte) {
    // Lengths beyond 99 hours take more digits; the result text runs to the line end with its
    // TABs; the eleventh TAB is there without a result text; extreme numbers keep their digits.
    const std::string bytes =
        "2090/01/02\t03:04\t02:30\t" + Sjis(L"朝のドラマ「港町」") + "\t" + Sjis(L"みなと総合") +
        "\t27\t1024\t4096\t2\t1\t1\t\r\n" + "2090/01/02\t03:04\t100:00\t" + Sjis(L"映画祭") + "\t" +
        Sjis(L"さくらテレビ") + "\t-5\t65535\t0\t5\t0\t2\t" +
        Sjis(L"開始時間が変わりました\t(20:58) ") + "\r\n" +
        "2090/12/31\t23:59\t71582788:15\tx\ty\t2147483647\t1\t1\t255\t255\t3\tabc\r\n";
    WriteProgram(bytes);
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    ASSERT_EQ(store.Count(), 3u);
    EXPECT_EQ(store.At(0)->durationMinutes, 150u);
    EXPECT_EQ(store.At(1)->durationMinutes, 6000u);
    EXPECT_EQ(store.At(1)->resultText, L"開始時間が変わりました\t(20:58) ");
    EXPECT_EQ(store.At(2)->durationMinutes, 0xFFFFFFFFu);
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(ReadProgram(), bytes);
}

TEST_F(ProgramFileTest, ResultTextOfTwoBytesOrLessReadsAsEmpty) {
    ReserveEntry entry;
    for (const std::string& result : {std::string("ab"), Sjis(L"済")}) {
        ASSERT_EQ(ReserveList::ParseLine(Line("t", 1, "1", "\t" + result), &entry), 1);
        EXPECT_EQ(entry.resultText, L"");
    }
    ASSERT_EQ(ReserveList::ParseLine(Line("t", 1, "1", "\t" + Sjis(L"済") + "!"), &entry), 1);
    EXPECT_EQ(entry.resultText, L"済!");
    EXPECT_EQ(ReserveList::ParseLine("", &entry), 0);
    EXPECT_EQ(ReserveList::ParseLine(Line("t", 1, "1"), nullptr), 0);
}

TEST_F(ProgramFileTest, PastReservationWithoutResultIsMarkedAndWrittenBack) {
    const std::string past = "2001/04/01\t09:00\t00:30\told\tx\t1\t2\t3\t2\t1\t1\t";
    WriteProgram(past + "\r\n" + past + Sjis(L"録画終了 ") + "\r\n");
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->resultText, kMissedStartText);
    EXPECT_EQ(store.At(1)->resultText, L"録画終了 ");
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(ReadProgram(), past + Sjis(kMissedStartText) + "\r\n" +
                                 "2001/04/01\t09:00\t00:30\told\tx\t1\t2\t3\t2\t1\t2\t" +
                                 Sjis(L"録画終了 ") + "\r\n");
    // A start that is no date is no past reservation: the line does not read at all.
    ReserveEntry entry;
    EXPECT_EQ(ReserveList::ParseLine("2001/13/01\t09:00\t00:30\tt\tx\t1\t2\t3\t2\t1\t1\t", &entry),
              0);
}

TEST_F(ProgramFileTest, LoadTakesChannelValuesFromChSetByNameButMergeDoesNot) {
    WriteChSet(Sjis(L"みなと総合") + "=16\r\n");
    ReserveEntry other = Entry(L"昼の番組", At(2090, 5, 2, 12, 0), 2);
    other.channelName = L"さくらテレビ";
    other.channelValue = 0x4010;
    WriteProgram(Line("a", 1, "1") + FormatProgramLine(other));
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.At(0)->channelValue, 16);      // listed in ChSet.txt
    EXPECT_EQ(store.At(1)->channelValue, 0x4010);  // not listed: the file's value stays

    WriteProgram(Line("handed over", 3, "0"));
    ASSERT_EQ(store.MergeNewFromProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.At(2)->channelValue, 27);
}

TEST_F(ProgramFileTest, MergeNumbersOnlyUnnumberedLinesAboveTheLargestId) {
    WriteProgram(Line("a", 1, "1") + Line("b", 2, "2") + Line("c", 3, "3"));
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    ASSERT_EQ(store.Remove(2), 1);
    ASSERT_EQ(store.MergeNewFromProgramFile(ProgramPath()), 1);  // no ID-0 line: nothing added
    EXPECT_EQ(store.Count(), 2u);

    WriteProgram(Line("a", 1, "1") + Line("new1", 4, "0") + Line("new2", 4, "0"));
    ASSERT_EQ(store.MergeNewFromProgramFile(ProgramPath()), 1);
    EXPECT_EQ(Titles(store), (std::vector<std::wstring>{L"a", L"c", L"new1", L"new2"}));
    EXPECT_EQ(Ids(store), (std::vector<std::int32_t>{1, 3, 4, 5}));
}

TEST_F(ProgramFileTest, SameStartKeepsInsertionOrderInStoreAndFile) {
    ReserveList store;
    for (const wchar_t* title : {L"二", L"一", L"三"}) {
        const ReserveEntry entry = Entry(title, At(2090, 5, 1, 21, 0), 1);
        store.Add(&entry, 0);
    }
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    ReserveList again;
    ASSERT_EQ(again.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(Titles(again), (std::vector<std::wstring>{L"二", L"一", L"三"}));
    EXPECT_EQ(Ids(again), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(ProgramFileTest, TextsThatWouldBreakTheLineAreWrittenAsBlanks) {
    ReserveEntry entry = Entry(L"前編\t後編", At(2090, 5, 1, 21, 0), 1);
    entry.channelName = L"みなと\r\n総合";
    entry.resultText = L"録画終了\r\n予備\t注記";
    entry.id = 9;
    const std::string line = FormatProgramLine(entry);
    EXPECT_EQ(line, "2090/05/01\t21:00\t00:30\t" + Sjis(L"前編 後編") + "\t" +
                        Sjis(L"みなと  総合") + "\t27\t1024\t1\t2\t1\t9\t" +
                        Sjis(L"録画終了  予備\t注記") + "\r\n");
    ReserveEntry read;
    ASSERT_EQ(ReserveList::ParseLine(line.substr(0, line.size() - 2), &read), 1);
    EXPECT_EQ(read.channelValue, 27);
    EXPECT_EQ(read.id, 9);
}

}  // namespace
}  // namespace timer_core
