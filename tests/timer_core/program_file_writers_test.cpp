// Program.txt is never lost: a save that cannot write leaves the file and the store as they
// were, and a reservation that a second program instance hands over (an ID-0 line) survives
// every save of either instance until the running one has numbered it, once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/helper_process.h"
#include "tests/timer_core/file_size_limit.h"
#include "tests/timer_core/program_file_fixture.h"
#include "tests/timer_core/reservation_samples.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/reservations/reserve_list.h"

namespace timer_core {
namespace {

using reservation_samples::At;
using reservation_samples::Entry;
using reservation_samples::HandedOver;
using reservation_samples::Sjis;

class ProgramFileWritersTest : public reservation_samples::ProgramFileFixture {
  protected:
    // How often a line of that title is in the file; how many lines have ID 0.
    int CountInFile(const std::wstring& title) const {
        return Count(ReadProgram(), "\t" + Sjis(title) + "\t");
    }
    int UnnumberedInFile() const { return static_cast<int>(UnnumberedLines(ReadProgram()).size()); }
    static int Count(const std::string& text, const std::string& part) {
        int count = 0;
        for (std::size_t at = text.find(part); at != text.npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }
    static int CountInStore(const ReserveList& store, const std::wstring& title) {
        int count = 0;
        for (const ReserveEntry& entry : store.Entries())
            count += entry.title == title ? 1 : 0;
        return count;
    }

    // What a second program instance does to hand a reservation over.
    void HandOver(int n) const {
        ReserveList store;
        ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
        const ReserveEntry entry = HandedOver(n);
        ASSERT_EQ(store.Add(&entry, 1), 1);
        ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    }

    // The running instance with two reservations, loaded and saved back as at start-up.
    void StartRunning() {
        for (std::uint16_t event = 1; event <= 2; ++event) {
            const ReserveEntry entry =
                Entry(L"番組" + std::to_wstring(event), At(2090, 5, event, 21, 0), event);
            running_.Add(&entry, 0);
        }
        ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
        ASSERT_EQ(running_.LoadProgramFile(ProgramPath()), 1);
    }

    // Some change of the running instance that it saves (an automatic reservation, say).
    void AddAndSave(const std::wstring& title) {
        const ReserveEntry entry = Entry(title, At(2090, 7, 1, 12, 0), 0x300);
        ASSERT_EQ(running_.Add(&entry, 0), 1);
        ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
    }

    ReserveList running_;
};

TEST_F(ProgramFileWritersTest, SaveThatCannotWriteLeavesFileAndStore) {
    ReserveList store;
    const ReserveEntry entry = Entry(L"夜のニュース", At(2090, 5, 1, 21, 0), 1);
    store.Add(&entry, 0);
    EXPECT_EQ(store.SaveProgramFile(sandbox_.Wide("missing/Program.txt")), 0);
    EXPECT_FALSE(std::filesystem::exists(sandbox_.Native("missing")));
    std::filesystem::create_directory(sandbox_.Native("folder.txt"));
    EXPECT_EQ(store.SaveProgramFile(sandbox_.Wide("folder.txt")), 0);

    // A file with a handed-over line, loaded (which takes that line in) and then grown.
    WriteProgram("");
    HandOver(1);
    const std::string old = ReadProgram();
    ASSERT_EQ(store.LoadProgramFile(ProgramPath()), 1);
    const ReserveEntry more = Entry(L"深夜映画", At(2090, 5, 2, 1, 0), 2);
    store.Add(&more, 0);
    {
        const test_support::FileSizeLimit full(old.size());
        EXPECT_EQ(store.SaveProgramFile(ProgramPath()), 0);
    }
    EXPECT_EQ(ReadProgram(), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox_.Native("")),
                            std::filesystem::directory_iterator()),
              2);  // Program.txt and folder.txt: no temporary file is left behind
    EXPECT_EQ(store.Count(), 2u);
    // The store still knows that it took the handed-over line in: the next save numbers it
    // instead of keeping it twice.
    ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(CountInFile(HandedOver(1).title), 1);
    EXPECT_EQ(UnnumberedInFile(), 0);
}

TEST_F(ProgramFileWritersTest, KillDuringSaveLeavesTheOldOrTheNewFile) {
    std::string versions[2];
    for (int version = 0; version < 2; ++version) {
        ReserveList store;
        reservation_samples::FillVersion(store, version);
        ASSERT_EQ(store.SaveProgramFile(ProgramPath()), 1);
        versions[version] = ReadProgram();
    }
    test_support::HelperProcess writer(TIMER_CORE_TEST_HELPER,
                                       {"save-forever", sandbox_.Native("Program.txt").string()});
    ASSERT_TRUE(writer.Expect("saved"));
    writer.Kill();
    const std::string left = ReadProgram();
    EXPECT_TRUE(left == versions[0] || left == versions[1]) << left.size() << " bytes";
}

TEST_F(ProgramFileWritersTest, HandOverThatFailsToWriteIsAppendedByTheNextSave) {
    ReserveList second;
    WriteProgram("");
    const ReserveEntry entry = HandedOver(1);
    second.Add(&entry, 1);
    {
        const test_support::FileSizeLimit full(1);
        EXPECT_EQ(second.SaveProgramFile(ProgramPath()), 0);
    }
    EXPECT_EQ(ReadProgram(), "");
    ASSERT_EQ(second.SaveProgramFile(ProgramPath()), 1);
    ASSERT_EQ(second.SaveProgramFile(ProgramPath()), 1);  // appended once only
    EXPECT_EQ(ReadProgram(), FormatProgramLine(entry));
}

TEST_F(ProgramFileWritersTest, RunningSaveBeforeItsMergeKeepsTheHandedOverLine) {
    StartRunning();
    HandOver(1);
    AddAndSave(L"自動予約");
    EXPECT_EQ(UnnumberedInFile(), 1);
    ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);
    ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);  // taken in already
    ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(CountInStore(running_, HandedOver(1).title), 1);
    EXPECT_NE(running_.FindById(4), nullptr);
    EXPECT_EQ(CountInFile(HandedOver(1).title), 1);
    EXPECT_EQ(UnnumberedInFile(), 0);
    ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);
    EXPECT_EQ(running_.Count(), 4u);
}

TEST_F(ProgramFileWritersTest, SecondHandOverBeforeTheMergeLeavesTheFirstUnnumbered) {
    StartRunning();
    const std::string comment = ";by hand\r\n";
    WriteProgram(comment + ReadProgram());
    HandOver(1);
    HandOver(2);
    // The second instances only appended: the running instance's lines are as it wrote them.
    EXPECT_EQ(ReadProgram().substr(0, comment.size()), comment);
    EXPECT_EQ(UnnumberedInFile(), 2);
    ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);
    ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(running_.Count(), 4u);
    EXPECT_EQ(CountInFile(HandedOver(1).title), 1);
    EXPECT_EQ(CountInFile(HandedOver(2).title), 1);
    EXPECT_EQ(UnnumberedInFile(), 0);
}

TEST_F(ProgramFileWritersTest, FullLoadNumbersHandedOverLinesOnce) {
    StartRunning();
    HandOver(1);
    HandOver(1);  // the same programme handed over twice is reserved twice
    ASSERT_EQ(running_.LoadProgramFile(ProgramPath()), 1);
    ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
    ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);
    EXPECT_EQ(running_.Count(), 4u);
    EXPECT_EQ(CountInStore(running_, HandedOver(1).title), 2);
    EXPECT_EQ(UnnumberedInFile(), 0);
}

TEST_F(ProgramFileWritersTest, HandOverBetweenMergeAndSaveSurvivesTheSave) {
    StartRunning();
    HandOver(1);
    ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);
    HandOver(2);
    ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(CountInFile(HandedOver(1).title), 1);
    const std::string file = ReadProgram();
    const auto unnumbered = UnnumberedLines(file);
    ASSERT_EQ(unnumbered.size(), 1u);
    EXPECT_NE(unnumbered[0].find(Sjis(HandedOver(2).title)), std::string_view::npos);
}

// The second instance is another process that hands reservations over while the running
// instance saves and merges as fast as it can; whatever the interleaving, every reservation
// ends up in the store and the file exactly once.
TEST_F(ProgramFileWritersTest, RacingInstancesLoseNoHandedOverReservation) {
    StartRunning();
    constexpr int kHandOvers = 30;
    test_support::HelperProcess second(
        TIMER_CORE_TEST_HELPER,
        {"append", sandbox_.Native("Program.txt").string(), "1", std::to_string(kHandOvers)});
    int rounds = 0;
    for (;;) {
        const auto line = second.ReadLine(std::chrono::milliseconds(2));
        if (line && *line == "done") break;
        ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
        ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);
        ASSERT_LT(++rounds, 5000) << "the second instance never finished";
    }
    EXPECT_EQ(second.Wait(), 0);
    ASSERT_EQ(running_.MergeNewFromProgramFile(ProgramPath()), 1);
    ASSERT_EQ(running_.SaveProgramFile(ProgramPath()), 1);
    EXPECT_EQ(running_.Count(), 2u + kHandOvers);
    for (int n = 1; n <= kHandOvers; ++n) {
        EXPECT_EQ(CountInStore(running_, HandedOver(n).title), 1) << n;
        EXPECT_EQ(CountInFile(HandedOver(n).title), 1) << n;
    }
    EXPECT_EQ(UnnumberedInFile(), 0);
}

}  // namespace
}  // namespace timer_core
