// Program.txt as a careless editor or a broken disk leaves it: lines of any length and any line
// end, numbers no reservation has, and files the timer cannot read. Nothing the file holds is
// lost by a save, and nothing makes the timer wait.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/whole_file.h"
#include "tests/timer_core/program_file_fixture.h"
#include "tests/timer_core/reservation_samples.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/reservations/reserve_list.h"

namespace timer_core {
namespace {

using reservation_samples::At;
using reservation_samples::Entry;

class ProgramFileDamageTest : public reservation_samples::ProgramFileFixture {
  protected:
    // The file line of the n-th of a list of reservations, with the given ID column.
    static std::string Line(int n, std::int32_t id) {
        ReserveEntry entry =
            Entry(L"番組" + std::to_wstring(n), At(2090, 1 + n / 28, 1 + n % 28, n % 24, 0),
                  static_cast<std::uint16_t>(n));
        entry.id = id;
        return FormatProgramLine(entry);
    }
    static std::string Lines(int count) {
        std::string lines;
        for (int n = 0; n < count; ++n)
            lines += Line(n, n + 1);
        return lines;
    }
    std::uintmax_t ProgramSize() const {
        return std::filesystem::file_size(sandbox_.Native("Program.txt"));
    }
    // The first bytes of the file, without reading the rest.
    std::string ProgramStart(std::size_t bytes) const {
        std::string start(bytes, '\0');
        std::FILE* file = std::fopen(sandbox_.Native("Program.txt").c_str(), "rb");
        if (file == nullptr) return {};
        start.resize(std::fread(start.data(), 1, bytes, file));
        std::fclose(file);
        return start;
    }
    void ReplaceProgram(const std::function<int(const char*)>& make) const {
        std::filesystem::remove(sandbox_.Native("Program.txt"));
        ASSERT_EQ(make(sandbox_.Native("Program.txt").c_str()), 0);
    }
};

TEST_F(ProgramFileDamageTest, ALineBeyondTheWholeFileBoundIsJustALineThatDoesNotRead) {
    // Forty reservations and a line of more than 64 MiB that looks like the start of one.
    const std::string longLine =
        "2090/05/01\t" + std::string(platform::kMaxWholeFileBytes + (1 << 20), 'x');
    const std::string forty = Lines(40);
    WriteProgram(forty + longLine + "\r\n");
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.Count(), 40u);
    // The reservations and the long line both stay, the line as it was written.
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(ProgramSize(), forty.size() + longLine.size() + 2);
    EXPECT_TRUE(ReadProgram() == forty + longLine + "\r\n");
}

TEST_F(ProgramFileDamageTest, AFileThatCannotBeReadIsNeverSavedOverUntilItReadsAgain) {
    const std::string two = Lines(2);
    WriteProgram(two);
    // Beyond the bound of the reservation list (a sparse file takes no disk).
    std::filesystem::resize_file(sandbox_.Native("Program.txt"), platform::kMaxListFileBytes + 1);
    ReserveList store;
    EXPECT_EQ(store.LoadProgramFile(ProgramPath()), 0);
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.MergeNewFromProgramFile(ProgramPath()), 0);
    const ReserveEntry added = Entry(L"自動予約", At(2090, 6, 1, 20, 0), 77);
    ASSERT_EQ(store.Add(&added, 0), 1);
    EXPECT_EQ(store.SaveProgramFile(ProgramPath()), 0);
    EXPECT_EQ(ProgramSize(), platform::kMaxListFileBytes + 1);
    EXPECT_EQ(ProgramStart(two.size()), two);

    // Once the file reads again, the store holds what it holds and saves it.
    std::filesystem::resize_file(sandbox_.Native("Program.txt"), two.size());
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.Count(), 2u);
    ASSERT_EQ(store.Add(&added, 0), 1);
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.Count(), 3u);
    EXPECT_EQ(sandbox_.Lines("Program.txt").size(), 3u);

    // A file that is missing holds nothing to lose: the save writes it.
    std::filesystem::remove(sandbox_.Native("Program.txt"));
    EXPECT_EQ(store.LoadProgramFile(ProgramPath()), 0);
    ASSERT_EQ(store.Add(&added, 0), 1);
    EXPECT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(sandbox_.Lines("Program.txt").size(), 1u);
}

TEST_F(ProgramFileDamageTest, APipeOrADeviceAtThePathIsNeitherWaitedForNorReplaced) {
    WriteProgram(Lines(2));
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    // The file became a pipe after the load: the save neither waits for a writer nor replaces
    // it.
    ReplaceProgram([](const char* path) { return ::mkfifo(path, 0600); });
    EXPECT_EQ(store.SaveProgramFile(ProgramPath()), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(sandbox_.Native("Program.txt")));
    EXPECT_EQ(store.LoadProgramFile(ProgramPath()), 0);
    EXPECT_EQ(store.SaveProgramFile(ProgramPath()), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(sandbox_.Native("Program.txt")));

    // A link to an endless device: nothing of it is read, the link stays.
    std::filesystem::remove(sandbox_.Native("Program.txt"));
    WriteProgram("");
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    ReplaceProgram([](const char* path) { return ::symlink("/dev/zero", path); });
    const ReserveEntry added = Entry(L"自動予約", At(2090, 6, 1, 20, 0), 77);
    ASSERT_EQ(store.Add(&added, 0), 1);
    EXPECT_EQ(store.SaveProgramFile(ProgramPath()), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(sandbox_.Native("Program.txt")));
    ReserveList second;
    EXPECT_EQ(second.LoadProgramFile(ProgramPath()), 0);
    ASSERT_EQ(second.Add(&added, 1), 1);  // a second instance's hand-over
    EXPECT_EQ(second.SaveProgramFile(ProgramPath()), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(sandbox_.Native("Program.txt")));
}

TEST_F(ProgramFileDamageTest, EveryLineEndEndsALineAndAByteOrderMarkIsSkipped) {
    std::string lines[4];
    for (int n = 0; n < 4; ++n) {
        lines[n] = Line(n, 0);
        lines[n].resize(lines[n].size() - 2);  // without its CR LF
    }
    WriteProgram("\xEF\xBB\xBF" + lines[0] + "\r" + lines[1] + "\r" + lines[2] + "\n" + lines[3] +
                 "\r");
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    ASSERT_EQ(store.Count(), 4u);
    EXPECT_EQ(store.At(0)->start.wYear, 2090);
    EXPECT_EQ(store.At(0)->title, L"番組0");
    EXPECT_EQ(store.At(0)->resultText, L"");
    EXPECT_EQ(store.At(3)->title, L"番組3");
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(ReadProgram(), Lines(4));

    // Unnumbered lines that end in a CR alone are all taken over by a merge.
    WriteProgram(Lines(4) + Line(10, 0).substr(0, Line(10, 0).size() - 1) +
                 Line(11, 0).substr(0, Line(11, 0).size() - 1));
    ASSERT_EQ(store.MergeNewFromProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.Count(), 6u);

    // A mark further on is part of its line, also when a save puts that line first.
    WriteProgram("no reservation\r\n\xEF\xBB\xBF" + Lines(1));
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.Count(), 0u);
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    EXPECT_EQ(store.Count(), 0u);
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(ReadProgram(), "\r\n\xEF\xBB\xBF" + Lines(1));
}

TEST_F(ProgramFileDamageTest, NumbersNoReservationHasAreKeptAsWrittenAndNeverWrapped) {
    // Columns: date, time, length, title, channel name, channel value, service id, event id,
    // priority, follow flag, ID.
    const auto line = [](const std::string& date, const std::string& time,
                         const std::string& length, const std::string& numbers,
                         const std::string& id = "1") {
        return date + "\t" + time + "\t" + length + "\tt\tc\t" + numbers + "\t" + id + "\t\r\n";
    };
    const std::string usual = "27\t1024\t4096\t2\t1";
    const std::string absurd =
        line("2090/05/01", "21:00", "-1:-1", usual) +
        line("2090/05/01", "21:00", "4294967295:59", usual) +
        line("2090/05/01", "21:00", "71582788:16", usual) +  // one minute beyond 32 bits
        line("2090/05/01", "21:00", "0:-1", usual) + line("0000/00/00", "21:00", "00:30", usual) +
        line("2026/13/32", "21:00", "00:30", usual) + line("2026/02/29", "21:00", "00:30", usual) +
        line("2026/12/10", "25:61", "00:30", usual) + line("2026/12/10", "24:00", "00:30", usual) +
        line("-2026/12/10", "21:00", "00:30", usual) + line("1600/12/31", "21:00", "00:30", usual) +
        line("10000/01/01", "21:00", "00:30", usual) +
        line("2090/05/01", "21:00", "00:30", "27\t1024\t4096\t-5\t1") +  // listed as 251
        line("2090/05/01", "21:00", "00:30", "27\t1024\t4096\t256\t1") +
        line("2090/05/01", "21:00", "00:30", "27\t1024\t4096\t2\t-1") +
        line("2090/05/01", "21:00", "00:30", "27\t1024\t4096\t2\t256") +
        line("2090/05/01", "21:00", "00:30", "27\t65536\t4096\t2\t1") +
        line("2090/05/01", "21:00", "00:30", "27\t1024\t-1\t2\t1") +
        line("2090/05/01", "21:00", "00:30", "2147483648\t1024\t4096\t2\t1");
    // The edges of what each field holds still read, and are written back the same.
    const std::string edges =
        line("1601/01/01", "00:00", "71582788:15", "-2147483648\t0\t0\t0\t0", "1") +
        line("2028/02/29", "12:30", "00:00", "2147483647\t65535\t65535\t255\t255", "2") +
        line("9999/12/31", "23:59", "00:30", usual, "3");
    WriteProgram(absurd + edges);
    ReserveList store;
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    ASSERT_EQ(store.Count(), 3u);
    EXPECT_EQ(store.At(0)->durationMinutes, 0xFFFFFFFFu);
    EXPECT_EQ(store.At(1)->priority, 255);
    EXPECT_EQ(store.At(2)->start.wYear, 9999);
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    // The first edge lies in the past and is marked so; otherwise the file is as it was, the
    // lines that do not read after those that do.
    std::string expected = edges;
    expected.insert(expected.find("\r\n"), platform::WideToShiftJis(kMissedStartText));
    EXPECT_EQ(ReadProgram(), expected + absurd);

    // A length of more minutes than an hour holds is no absurd number.
    ReserveEntry entry;
    ASSERT_EQ(ReserveList::ParseLine(line("2090/05/01", "21:00", "0:90", usual), &entry), 1);
    EXPECT_EQ(entry.durationMinutes, 90u);
}

}  // namespace
}  // namespace timer_core
