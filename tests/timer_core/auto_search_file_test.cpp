#include "timer_core/epg/auto_search_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/whole_file.h"
#include "tests/support/helper_process.h"
#include "tests/support/sandbox.h"
#include "tests/timer_core/auto_search_samples.h"
#include "tests/timer_core/file_size_limit.h"

namespace timer_core {
namespace {

namespace fs = std::filesystem;

// Shift-JIS bytes of a wide text, so that the tests read as the file's text.
std::string Sjis(std::wstring_view text) {
    return platform::WideToShiftJis(text);
}

class AutoSearchFileTest : public ::testing::Test {
  protected:
    fs::path FilePath() const { return platform::ToNativePath(file.filePath()); }

    void Write(const std::string& bytes) const {
        fs::create_directories(FilePath().parent_path());
        std::ofstream(FilePath(), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Read() const {
        std::ifstream in(FilePath(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // Writes the bytes, loads them and returns what a save writes back.
    std::string LoadAndSave(const std::string& bytes) {
        Write(bytes);
        file.Load();
        EXPECT_EQ(file.Save(), 1);
        return Read();
    }

    test_support::Sandbox sandbox;
    AutoSearchFile file;
};

using auto_search_samples::Condition;

TEST_F(AutoSearchFileTest, PathIsInTheOrvandelFolderOfDocuments) {
    EXPECT_EQ(file.filePath(),
              platform::JoinPath(platform::JoinPath(file.documentsFolder(), L"Orvandel"),
                                 L"AutoSearch.txt"));
}

TEST_F(AutoSearchFileTest, WrittenLineHasTheNineColumnsInShiftJis) {
    std::string line;
    EXPECT_EQ(AutoSearchFile::FormatLine(&line, Condition(L"風の記憶 再放送", 3)), 1);
    EXPECT_EQ(line,
              Sjis(L"風の記憶 再放送\t\t0\t-1\t19:00～23:30\t月水金\t3\t1\t2145387520 1024 \r\n"));
    // The tilde is FULLWIDTH TILDE, 0x81 0x60; the weekday letters are their code page bytes.
    EXPECT_NE(line.find("\x81\x60"), std::string::npos);
    EXPECT_NE(line.find("\x8C\x8E\x90\x85\x8B\xE0"), std::string::npos);  // 月水金

    AutoSearchCondition none;
    line.clear();
    AutoSearchFile::FormatLine(&line, none);
    EXPECT_EQ(line, Sjis(L"\t\t0\t0\t00:00～00:00\t\t0\t0\t\r\n"));
}

TEST_F(AutoSearchFileTest, FileRoundTripsByteForByte) {
    const std::string bytes = Sjis(
        L"さくら\tＺＸＱ 再\t1\t6\t23:00～02:00\t月火水木金土日\t5\t0\t1 -2147483648 2147483647 "
        L"\r\n"
        L"\t\t0\t-1\t-1:00～00:00\t\t1\t1\t\r\n"
        L"みなと総合 ﾆｭｰｽ\t\t0\t0\t07:05～07:05\t日\t3\t1\t65535 \r\n");
    EXPECT_EQ(LoadAndSave(bytes), bytes);
    ASSERT_EQ(file.conditions.size(), 3u);
    const AutoSearchCondition& first = file.conditions.at(0);
    EXPECT_EQ(first.andWords, L"さくら");
    EXPECT_EQ(first.notWords, L"ＺＸＱ 再");
    EXPECT_EQ(first.titleOnly, 1);
    EXPECT_EQ(first.genre, 6);
    EXPECT_EQ(first.startHour, 23);
    EXPECT_EQ(first.startMinute, 0);
    EXPECT_EQ(first.endHour, 2);
    EXPECT_EQ(first.endMinute, 0);
    EXPECT_EQ(first.weekdays, (std::array<int, 7>{1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(first.priority, 5);
    EXPECT_EQ(first.follow, 0);
    EXPECT_EQ(first.serviceKeys, (std::vector<int>{1, INT_MIN, INT_MAX}));
    EXPECT_EQ(file.conditions.at(1).genre, -1);
    EXPECT_EQ(file.conditions.at(1).startHour, -1);
    EXPECT_EQ(file.conditions.at(2).weekdays, (std::array<int, 7>{0, 0, 0, 0, 0, 0, 1}));

    // The saved map loads back to the same records.
    AutoSearchFile again;
    again.Load();
    ASSERT_EQ(again.conditions.size(), 3u);
    EXPECT_EQ(again.conditions.at(0).serviceKeys, first.serviceKeys);
    EXPECT_EQ(again.conditions.at(2).andWords, L"みなと総合 ﾆｭｰｽ");
}

TEST_F(AutoSearchFileTest, LenientColumnsAreWrittenInTheirFixedForm) {
    // Hours and minutes without leading zeros, weekdays out of order or repeated, numbers with
    // trailing text: read as atoi reads them and written in the fixed form.
    EXPECT_EQ(LoadAndSave(Sjis(L"a\tb\t1x\t 6\t7:5～23:0\t日月日\t3\t1\t") + "\r\n"),
              Sjis(L"a\tb\t1\t6\t07:05～23:00\t月日\t3\t1\t\r\n"));
    // Text that is not a number gives 0.
    EXPECT_EQ(LoadAndSave(Sjis(L"a\t\tx\tジャンル\tx:y～z:w\t\tx\tx\tx y \r\n")),
              Sjis(L"a\t\t0\t0\t00:00～00:00\t\t0\t0\t0 0 \r\n"));
}

TEST_F(AutoSearchFileTest, ServiceKeysNeedTheSpaceAfterThem) {
    const std::string head = Sjis(L"a\t\t0\t-1\t00:00～00:00\t\t3\t1\t");
    AutoSearchCondition c;
    ASSERT_EQ(AutoSearchFile::ParseLine(head + "100 200", &c), 1);
    EXPECT_EQ(c.serviceKeys, std::vector<int>{100});
    c = {};
    ASSERT_EQ(AutoSearchFile::ParseLine(head + "100 200 ", &c), 1);
    EXPECT_EQ(c.serviceKeys, (std::vector<int>{100, 200}));
    c = {};
    ASSERT_EQ(AutoSearchFile::ParseLine(head, &c), 1);
    EXPECT_TRUE(c.serviceKeys.empty());
}

TEST_F(AutoSearchFileTest, MalformedLinesAreDroppedAndTheRestRenumbered) {
    const std::string good = Sjis(L"\t\t0\t-1\t00:00～00:00\t\t3\t1\t\r\n");
    const std::string bytes =
        good + Sjis(L"a\tb\t0\t-1\t00:00～00:00\t\t3\t1\r\n")  // seven TABs
        + Sjis(L"a\tb\t0\t-1\t0000～00:00\t\t3\t1\t\r\n")      // no ":"
        + Sjis(L"a\tb\t0\t-1\t00:00~00:00\t\t3\t1\t\r\n")      // half-width tilde
        + Sjis(L"a\tb\t0\t-1\t00:00～0000\t\t3\t1\t\r\n")      // no ":" after the tilde
        + Sjis(L"a\tb\t0\t-1\t00～00:00\t\t3\t1\t\r\n")        // tilde before the ":"
        + "\r\n" + "\xFF\x81\t\x82\r\n" + good;
    Write(bytes);
    file.Load();
    ASSERT_EQ(file.conditions.size(), 2u);
    EXPECT_EQ(file.conditions.begin()->first, 0);
    EXPECT_EQ(file.conditions.rbegin()->first, 1);
    EXPECT_EQ(AutoSearchFile::ParseLine("", &file.conditions[0]), 0);
}

TEST_F(AutoSearchFileTest, CommentsAreSkippedAndGoneAfterASave) {
    const std::string condition = Sjis(L"x;y\t;z\t0\t-1\t00:00～00:00\t\t3\t1\t\r\n");
    Write(Sjis(L";コメント\t\t0\t-1\t00:00～00:00\t\t3\t1\t\r\n") + condition);
    file.Load();
    ASSERT_EQ(file.conditions.size(), 1u);
    EXPECT_EQ(file.conditions.at(0).andWords, L"x;y");
    EXPECT_EQ(file.conditions.at(0).notWords, L";z");
    ASSERT_EQ(file.Save(), 1);
    EXPECT_EQ(Read(), condition);
}

TEST_F(AutoSearchFileTest, FinalLineEndAndBareLineFeedsLoadTheSame) {
    const std::string a = Sjis(L"a\t\t0\t-1\t00:00～00:00\t\t3\t1\t1 ");
    const std::string b = Sjis(L"b\t\t0\t-1\t00:00～00:00\t\t4\t0\t2 ");
    for (const std::string& bytes :
         {a + "\r\n" + b + "\r\n", a + "\r\n" + b, a + "\n" + b + "\n"}) {
        EXPECT_EQ(LoadAndSave(bytes), a + "\r\n" + b + "\r\n");
        EXPECT_EQ(file.conditions.size(), 2u);
    }
}

TEST_F(AutoSearchFileTest, EveryLineEndEndsALineAndAByteOrderMarkIsSkipped) {
    const std::string a = Sjis(L"a\t\t0\t-1\t00:00～00:00\t\t3\t1\t1 ");
    const std::string b = Sjis(L"b\t\t0\t-1\t00:00～00:00\t\t4\t0\t2 ");
    const std::string c = Sjis(L"c\t\t0\t-1\t00:00～00:00\t\t5\t0\t3 ");
    EXPECT_EQ(LoadAndSave("\xEF\xBB\xBF" + a + "\r" + b + "\r" + c + "\r"),
              a + "\r\n" + b + "\r\n" + c + "\r\n");
    ASSERT_EQ(file.conditions.size(), 3u);
    EXPECT_EQ(file.conditions.at(0).andWords, L"a");
    EXPECT_EQ(file.conditions.at(2).serviceKeys, std::vector<int>{3});
}

// A long line is a line like any other; a file that cannot be read is not replaced by the
// conditions of one dialog.
TEST_F(AutoSearchFileTest, AFileThatCannotBeReadIsNeverSavedOverUntilItReadsAgain) {
    const std::string kept = Sjis(L"a\t\t0\t-1\t00:00～00:00\t\t3\t1\t1 \r\n");
    Write(kept + std::string(platform::kMaxWholeFileBytes + 1, 'x') + "\r\n" + kept);
    file.Load();
    EXPECT_EQ(file.conditions.size(), 2u);

    Write(kept);
    fs::resize_file(FilePath(), platform::kMaxListFileBytes + 1);  // sparse: takes no disk
    file.Load();
    EXPECT_TRUE(file.conditions.empty());
    file.conditions[0] = Condition(L"新しい条件", 2);
    EXPECT_EQ(file.Save(), 0);
    EXPECT_EQ(fs::file_size(FilePath()), platform::kMaxListFileBytes + 1);

    fs::remove(FilePath());
    ASSERT_EQ(::mkfifo(FilePath().c_str(), 0600), 0);
    file.Load();  // neither waits for a writer nor creates a file in its place
    EXPECT_TRUE(file.conditions.empty());
    file.conditions[0] = Condition(L"新しい条件", 2);
    EXPECT_EQ(file.Save(), 0);
    EXPECT_TRUE(fs::is_fifo(FilePath()));

    fs::remove(FilePath());
    Write(kept);
    file.Load();
    file.conditions[1] = Condition(L"新しい条件", 2);
    EXPECT_EQ(file.Save(), 1);
    file.Load();
    EXPECT_EQ(file.conditions.size(), 2u);
}

TEST_F(AutoSearchFileTest, EditsSaveInKeyOrderAndReloadWithoutGaps) {
    for (int i = 0; i < 3; ++i)
        file.conditions[i] = Condition(L"番組" + std::to_wstring(i), i + 1);
    ASSERT_EQ(file.Save(), 1);
    file.conditions.erase(1);
    ASSERT_EQ(file.Save(), 1);
    AutoSearchFile reread;
    reread.Load();
    ASSERT_EQ(reread.conditions.size(), 2u);
    EXPECT_EQ(reread.conditions.at(0).andWords, L"番組0");
    EXPECT_EQ(reread.conditions.at(1).andWords, L"番組2");
    EXPECT_EQ(reread.conditions.at(1).priority, 3);

    reread.conditions.clear();
    ASSERT_EQ(reread.Save(), 1);
    EXPECT_TRUE(fs::exists(FilePath()));
    EXPECT_EQ(fs::file_size(FilePath()), 0u);
}

TEST_F(AutoSearchFileTest, MissingFileAndFolderAreCreated) {
    ASSERT_FALSE(fs::exists(FilePath().parent_path()));
    file.conditions[0] = Condition(L"x", 1);
    file.Load();
    EXPECT_TRUE(file.conditions.empty());
    ASSERT_TRUE(fs::exists(FilePath()));
    EXPECT_EQ(fs::file_size(FilePath()), 0u);

    fs::remove_all(FilePath().parent_path());
    file.conditions[0] = Condition(L"x", 1);
    ASSERT_EQ(file.Save(), 1);
    file.Load();
    EXPECT_EQ(file.conditions.size(), 1u);
}

TEST_F(AutoSearchFileTest, TabsAndLineEndsInKeywordsBecomeSpaces) {
    AutoSearchCondition c = Condition(L"朝の\t光\r\n第１回\n", 2);
    c.notWords = L"再\r放送";
    file.conditions[0] = c;
    file.conditions[1] = Condition(L"次", 4);
    ASSERT_EQ(file.Save(), 1);
    file.Load();
    ASSERT_EQ(file.conditions.size(), 2u);
    EXPECT_EQ(file.conditions.at(0).andWords, L"朝の 光  第１回 ");
    EXPECT_EQ(file.conditions.at(0).notWords, L"再 放送");
    EXPECT_EQ(file.conditions.at(0).serviceKeys, c.serviceKeys);
    EXPECT_EQ(file.conditions.at(1).priority, 4);
    EXPECT_EQ(KeywordsForFile(L"a\tb\r\nc"), L"a b  c");
}

TEST_F(AutoSearchFileTest, KeywordsThatBeginWithASemicolonSurviveAReload) {
    file.conditions[0] = Condition(L";特集", 2);
    ASSERT_EQ(file.Save(), 1);
    EXPECT_EQ(Read().front(), ' ');
    file.Load();
    ASSERT_EQ(file.conditions.size(), 1u);
    EXPECT_EQ(file.conditions.at(0).andWords, L" ;特集");
}

// A save that cannot write all of its bytes (the disk is full) leaves the old file and says so.
TEST_F(AutoSearchFileTest, SaveOnAFullDiskKeepsTheOldFile) {
    file.conditions[0] = Condition(L"元の条件", 1);
    ASSERT_EQ(file.Save(), 1);
    const std::string old = Read();
    auto_search_samples::FillVersion(file, 1);
    {
        const test_support::FileSizeLimit full(old.size());
        EXPECT_EQ(file.Save(), 0);
    }
    EXPECT_EQ(Read(), old);
    EXPECT_EQ(file.conditions.size(), 400u);
}

// A writer killed at any instant of its saves leaves the old file or the new one; readers
// never see anything else, neither while it writes nor after.
TEST_F(AutoSearchFileTest, KilledSaveLeavesTheOldOrTheNewFile) {
    std::string versions[2];
    for (int version = 0; version < 2; ++version) {
        auto_search_samples::FillVersion(file, version);
        ASSERT_EQ(file.Save(), 1);
        versions[version] = Read();
    }
    const auto whole = [&](const std::string& bytes) {
        return bytes == versions[0] || bytes == versions[1];
    };
    for (int round = 0; round < 3; ++round) {
        test_support::HelperProcess writer(TIMER_CORE_TEST_HELPER, {"save-conditions-forever"});
        ASSERT_TRUE(writer.Expect("saved"));
        for (int i = 0; i < 50 * (round + 1); ++i) {
            const std::string seen = Read();
            ASSERT_TRUE(whole(seen)) << seen.size() << " bytes";
        }
        writer.Kill();
        const std::string left = Read();
        EXPECT_TRUE(whole(left)) << left.size() << " bytes";
        AutoSearchFile reread;
        reread.Load();
        EXPECT_EQ(reread.conditions.size(), 400u);
    }
}

}  // namespace
}  // namespace timer_core
