// The channel tables ChSet.txt and ChSet2.txt: exact line forms and orders, what the readers
// take, and files edited by hand or cut.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/code_page.h"
#include "shared/ch_set2_file.h"
#include "shared/ch_set_file.h"
#include "tests/support/sandbox.h"

namespace shared {
namespace {

class ChSetFilesTest : public ::testing::Test {
  protected:
    std::wstring Path(const std::string& name) { return sandbox_.Wide(name); }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(sandbox_.Native(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(sandbox_.Native(name), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    test_support::Sandbox sandbox_;
};

TEST_F(ChSetFilesTest, ChSetLinesAreShiftJisInByteOrderOfTheName) {
    ChSetFile file;
    EXPECT_EQ(file.Set(L"", 5), 0);
    EXPECT_EQ(file.Set(L"みなと", 27), 1);
    EXPECT_EQ(file.Set(L"SKR", 22), 1);
    EXPECT_EQ(file.Set(L"ＢＳみなと", 0x2DEF4010), 1);
    EXPECT_EQ(file.Set(L"SKR", 23), 1);     // overwritten
    EXPECT_EQ(file.Set(L"Ω\u00E9", 1), 1);  // no Shift-JIS form for é: "?"
    ASSERT_EQ(file.Save(Path("ChSet.txt")), 1);
    // Lead bytes 0x82 (Ｂ, み) and 0x83 (Ω) sort after ASCII, as unsigned bytes.
    EXPECT_EQ(Read("ChSet.txt"), "SKR=23\r\n" + platform::WideToShiftJis(L"ＢＳみなと") +
                                     "=770654224\r\n" + platform::WideToShiftJis(L"みなと") +
                                     "=27\r\n" + platform::WideToShiftJis(L"Ω") + "?=1\r\n");

    ChSetFile again;
    ASSERT_EQ(again.Load(Path("ChSet.txt")), 1);
    EXPECT_EQ(again.entries(), file.entries());
}

TEST_F(ChSetFilesTest, ChSetReaderSkipsCommentsAndLinesWithoutEqualsAndKeepsTheFirstName) {
    Write("ChSet.txt", ";A=1\r\nB=2\r\nno equals\r\nB=3\r\nC=x9\r\nD= -4z\r\nE=99999999999\n=7");
    ChSetFile file;
    ASSERT_EQ(file.Load(Path("ChSet.txt")), 1);
    EXPECT_EQ(file.entries(), (std::map<std::string, int>{
                                  {"B", 2}, {"C", 0}, {"D", -4}, {"E", 2147483647}, {"", 7}}));
    EXPECT_EQ(file.Load(Path("absent.txt")), 0);
    EXPECT_TRUE(file.entries().empty());
    EXPECT_EQ(file.Load(L""), 0);
}

TEST_F(ChSetFilesTest, ChSet2LinesAreOrderedByStreamThenServiceAsSignedKeys) {
    ChSet2File file;
    EXPECT_EQ(file.Set({27, 0x7FE0, 1024, L"みなと総合"}), 1);
    EXPECT_EQ(file.Set({27, 0x7FE0, 1025, L"みなと総合"}), 1);
    EXPECT_EQ(file.Set({26, 0x7FD0, 1032, L"教育"}), 1);
    EXPECT_EQ(file.Set({-5, -1, 3, L"negative"}), 1);      // a hand-edited stream id sorts first
    EXPECT_EQ(file.Set({28, 0x7FD0, 1032, L"教育2"}), 0);  // same key: overwritten
    ASSERT_EQ(file.Save(Path("ChSet2.txt")), 1);
    EXPECT_EQ(Read("ChSet2.txt"),
              "negative\t-5\t3\t-1\r\n" + platform::WideToShiftJis(L"教育2") +
                  "\t28\t1032\t32720\r\n" + platform::WideToShiftJis(L"みなと総合") +
                  "\t27\t1024\t32736\r\n" + platform::WideToShiftJis(L"みなと総合") +
                  "\t27\t1025\t32736\r\n");
}

TEST_F(ChSetFilesTest, ChSet2ReaderNeedsThreeTabsAndKeepsTheFirstLineOfAKey) {
    Write("ChSet2.txt",
          "A\t1\t2\t3\r\nshort\t1\t2\r\nA2\t9\t2\t3\r\n;c\t4\t5\t6 trailing\tmore\r\n\t\t\t");
    ChSet2File file;
    ASSERT_EQ(file.Load(Path("ChSet2.txt")), 1);
    ASSERT_EQ(file.entries().size(), 3u);
    const ChSet2Entry& a = file.entries().at(ChSet2File::Key(3, 2));
    EXPECT_EQ(a.serviceName, L"A");
    EXPECT_EQ(a.channel, 1);
    const ChSet2Entry& c = file.entries().at(ChSet2File::Key(6, 5));
    EXPECT_EQ(c.serviceName, L";c");  // no comment syntax
    EXPECT_EQ(c.channel, 4);
    EXPECT_EQ(file.entries().at(0).serviceName, L"");
    ASSERT_EQ(file.Save(Path("ChSet2.txt")), 1);
    EXPECT_EQ(Read("ChSet2.txt"), "\t0\t0\t0\r\nA\t1\t2\t3\r\n;c\t4\t5\t6\r\n");  // "short" dropped
}

TEST_F(ChSetFilesTest, NamesThatWouldBreakTheLineFormStayOnOneLine) {
    ChSetFile chSet;
    chSet.Set(L"two\r\nlines", 1);
    ChSet2File chSet2;
    chSet2.Set({1, 2, 3, L"tab\there\nand"});
    ASSERT_EQ(chSet.Save(Path("ChSet.txt")), 1);
    ASSERT_EQ(chSet2.Save(Path("ChSet2.txt")), 1);
    EXPECT_EQ(Read("ChSet.txt"), "two  lines=1\r\n");
    EXPECT_EQ(Read("ChSet2.txt"), "tab here and\t1\t3\t2\r\n");
}

TEST_F(ChSetFilesTest, SavingIntoAMissingFolderFails) {
    ChSetFile chSet;
    chSet.Set(L"A", 1);
    EXPECT_EQ(chSet.Save(Path("missing/ChSet.txt")), 0);
    ChSet2File chSet2;
    EXPECT_EQ(chSet2.Save(Path("missing/ChSet2.txt")), 0);
}

}  // namespace
}  // namespace shared
