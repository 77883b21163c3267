// The plug-in's reader of the viewer's channel lists: encodings, comments, sections, duplicate
// keys, and files that are cut, edited by hand or in the wrong encoding.
#include "shared/ini_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/code_page.h"
#include "platform/utf16.h"
#include "tests/support/sandbox.h"

namespace shared {
namespace {

using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

class IniFileTest : public ::testing::Test {
  protected:
    std::wstring Write(const std::string& bytes) {
        std::ofstream(sandbox_.Native("channels.ini"), std::ios::binary) << bytes;
        return sandbox_.Wide("channels.ini");
    }
    Pairs Section(const IniFile& ini, std::wstring_view name) {
        const IniSection* section = ini.FindSection(name);
        return section == nullptr ? Pairs{{L"missing", L""}} : section->pairs;
    }

    test_support::Sandbox sandbox_;
};

const std::wstring kText =
    L"; 地上デジタル\r\n"
    L"[関東]\r\n"
    L"27=みなと総合\r\n"
    L"# 26=comment with equals\r\n"
    L"26= みなと教育 \r\n"
    L"\r\n"
    L"no equals here\r\n"
    L"[BS110CS]\r\n"
    L"11727,4010=ＢＳみなと\r\n"
    L"[関東]\r\n"
    L"27=duplicate\r\n"
    L"=empty key";

TEST_F(IniFileTest, ShiftJisAndUtf16FilesGiveTheSameSectionsWithDuplicatesInFileOrder) {
    IniFile sjis;
    ASSERT_EQ(sjis.Load(Write(platform::WideToShiftJis(kText))), 1);
    IniFile utf16;
    ASSERT_EQ(utf16.Load(Write("\xFF\xFE" + platform::WideToUtf16Le(kText))), 1);

    const Pairs kanto{{L"27", L"みなと総合"},
                      {L"26", L" みなと教育 "},
                      {L"27", L"duplicate"},
                      {L"", L"empty key"}};
    for (const IniFile* ini : {&sjis, &utf16}) {
        EXPECT_EQ(ini->sections().size(), 2u);
        EXPECT_EQ(Section(*ini, L"関東"), kanto);
        EXPECT_EQ(Section(*ini, L"BS110CS"), (Pairs{{L"11727,4010", L"ＢＳみなと"}}));
        EXPECT_EQ(ini->FindSection(L"bs110cs"), nullptr);  // names are case-sensitive
    }
}

TEST_F(IniFileTest, SectionNamesWithTrailBytesEqualToBracketsKeepTheirCharacters) {
    // "ー" is 81 5B and "ソ" 83 5C in Shift-JIS: the 5B must not be taken for "[".
    IniFile ini;
    ASSERT_EQ(ini.Load(Write(platform::WideToShiftJis(L"[データー]\r\nソ=ソース\r\n"))), 1);
    EXPECT_EQ(Section(ini, L"データー"), (Pairs{{L"ソ", L"ソース"}}));
}

TEST_F(IniFileTest, MissingEmptyAndUnreadableFilesLoadNothing) {
    IniFile ini;
    EXPECT_EQ(ini.Load(L""), 0);
    EXPECT_EQ(ini.Load(sandbox_.Wide("absent.ini")), 0);
    EXPECT_EQ(ini.Load(Write("")), 0);
    EXPECT_EQ(ini.Load(sandbox_.Wide("")), 0);  // a folder
    EXPECT_TRUE(ini.sections().empty());
}

TEST_F(IniFileTest, HandEditedCutAndWronglyEncodedFilesLoadWhatTheyCan) {
    IniFile ini;
    // Lines before the first header, LF-only line ends, a file cut in the middle of a line.
    ASSERT_EQ(ini.Load(Write("27=before\n[A]\n1=one\n2=tw")), 1);
    EXPECT_EQ(Section(ini, L"A"), (Pairs{{L"1", L"one"}, {L"2", L"tw"}}));

    // UTF-16 cut after an odd byte: the last character is replaced, the rest stays.
    ASSERT_EQ(ini.Load(Write("\xFF\xFE" + platform::WideToUtf16Le(L"[A]\r\n1=x") + "y")), 1);
    ASSERT_EQ(Section(ini, L"A").size(), 1u);
    EXPECT_EQ(Section(ini, L"A")[0].second, L"x\uFFFD");

    // UTF-16 without its byte-order mark is read as Shift-JIS: nothing usable, no crash.
    ASSERT_EQ(ini.Load(Write(platform::WideToUtf16Le(L"[A]\r\n1=x\r\n"))), 1);
    EXPECT_EQ(ini.FindSection(L"A"), nullptr);

    // Broken Shift-JIS bytes and embedded zero bytes stay inside their line.
    ASSERT_EQ(ini.Load(Write(std::string("[A]\r\n1=\x81\r\n2=a\0b\r\n", 17))), 1);
    EXPECT_EQ(Section(ini, L"A"), (Pairs{{L"1", L"・"}, {L"2", std::wstring(L"a\0b", 3)}}));
}

TEST_F(IniFileTest, KeyLinesSplitAtTheFirstEquals) {
    Pairs list;
    EXPECT_EQ(IniFile::AddKeyValueW(L"", list), 0);
    EXPECT_EQ(IniFile::AddKeyValueW(L"no equals", list), 0);
    EXPECT_EQ(IniFile::AddKeyValueW(L"a=b=c", list), 1);
    EXPECT_EQ(IniFile::AddKeyValueSjis(platform::WideToShiftJis(L"表=示"), list), 1);
    EXPECT_EQ(IniFile::AddKeyValueSjis("", list), 0);
    EXPECT_EQ(list, (Pairs{{L"a", L"b=c"}, {L"表", L"示"}}));
}

}  // namespace
}  // namespace shared
