#include <gtest/gtest.h>

#include <algorithm>

#include "capture_plugin/recording_files.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "shared/shared_memory_layouts.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/capture_plugin/window_parts_environment.h"

namespace capture_plugin {
namespace {

TEST(RecordingFilesTest, RecordingPathStaysInTheFolder) {
    EXPECT_EQ(RecordingPath(L"/rec", L"ニュース.ts"), L"/rec/ニュース.ts");
    // Control characters become "_"; names that are only dots are refused.
    EXPECT_EQ(RecordingPath(L"/rec", L"a\tb\x1f\x7f.ts"), L"/rec/a_b__.ts");
    EXPECT_EQ(RecordingPath(L"/rec", L".."), std::nullopt);
    EXPECT_EQ(RecordingPath(L"/rec", L"."), std::nullopt);
    EXPECT_EQ(RecordingPath(L"/rec", L""), std::nullopt);
    EXPECT_EQ(RecordingPath(L"/rec", L"../../etc/x"), std::nullopt);  // not sanitised first
    EXPECT_EQ(RecordingPath(L"/rec", L"...ts"), L"/rec/...ts");
    // Without a recording folder the path starts at the root, as it does on Windows.
    EXPECT_EQ(RecordingPath(L"", L"a.ts"), L"/a.ts");
}

TEST(RecordingFilesTest, SideFilesUseTheNameUnchangedOnlyWhenItIsAPlainFileName) {
    EXPECT_EQ(ErrorLogPath(L"/rec", L"番組 #1.ts"), L"/rec/番組 #1.ts.err");
    EXPECT_EQ(ProgramTextPath(L"/rec", L"番組.ts"), L"/rec/番組.ts.program.txt");
    EXPECT_EQ(ErrorLogPath(L"/rec", L".."), L"/rec/...err");
    for (const wchar_t* bad : {L"../x", L"a\\b", L"a:b", L"a*b", L"a?b", L"a\"b", L"a<b", L"a>b",
                               L"a|b", L"a\nb", L""}) {
        EXPECT_EQ(ErrorLogPath(L"/rec", bad), std::nullopt) << platform::ToNativePath(bad);
        EXPECT_EQ(ProgramTextPath(L"/rec", bad), std::nullopt);
    }
}

TEST(RecordingFilesTest, HostBufferGetsThePathOnlyWhenItFitsWithItsTerminator) {
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_FALSE(CopyToHostBuffer(L"/r/abcde", buffer, 8));
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_TRUE(CopyToHostBuffer(L"/r/abcd", buffer, 8));
    EXPECT_EQ(std::wstring(buffer), L"/r/abcd");
    EXPECT_FALSE(CopyToHostBuffer(L"/r", nullptr, 8));
}

TEST(RecordingFilesTest, ProgramTextFileIsShiftJisAndReplacedWhole) {
    const auto folder = window_parts_test::FreshFolder("program_text");
    const std::wstring path = platform::FromNativePath((folder / "a.program.txt").native());
    ASSERT_TRUE(WriteProgramTextFile(path, L"2009/01/04(日) 20:00～21:00\r\n\r\nニュース\r\n"));
    ASSERT_TRUE(WriteProgramTextFile(path, L"短い\r\n"));
    EXPECT_EQ(plugin_test::ReadFile(platform::ToNativePath(path)),
              platform::WideToShiftJis(L"短い\r\n"));
    EXPECT_FALSE(WriteProgramTextFile(path + L".missing/x", L"x"));
}

TEST(RecordingFilesTest, RequestNameWithoutTerminatorIsReadAsAtMost512Characters) {
    shared::RecordRequest request;
    std::fill(std::begin(request.fileName), std::end(request.fileName), u'x');
    request.channel = 0x41414141;  // what follows the field is not part of the name
    const std::wstring name = shared::RecordFileName(request);
    EXPECT_EQ(name, std::wstring(512, L'x'));
    // Shortened to what the file system takes, with room for ".program.txt".
    EXPECT_EQ(RecordingPath(L"/rec", name), L"/rec/" + std::wstring(243, L'x'));
}

TEST(RecordingFilesTest, AnOverLongNameIsShortenedAlikeForTheRecordingAndItsSideFiles) {
    std::wstring kanji;
    for (int i = 0; i < 43; ++i)
        kanji += L"番組";
    const std::wstring fitted = kanji.substr(0, 80) + L".ts";  // 243 bytes
    EXPECT_EQ(RecordingPath(L"/rec", kanji + L".ts"), L"/rec/" + fitted);
    EXPECT_EQ(ErrorLogPath(L"/rec", kanji + L".ts"), L"/rec/" + fitted + L".err");
    EXPECT_EQ(ProgramTextPath(L"/rec", kanji + L".ts"), L"/rec/" + fitted + L".program.txt");
    // A name that leaves room for the longest suffix is kept whole.
    const std::wstring fits = std::wstring(240, L'a') + L".ts";
    EXPECT_EQ(RecordingPath(L"/rec", fits), L"/rec/" + fits);
    EXPECT_EQ(ProgramTextPath(L"/rec", fits), L"/rec/" + fits + L".program.txt");
    EXPECT_EQ(ErrorLogPath(L"/rec", fits + L"a"), L"/rec/" + fits.substr(0, 239) + L".tsa.err");
}

}  // namespace
}  // namespace capture_plugin
