#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/file_name_length.h"
#include "platform/known_folders.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/text_case.h"
#include "platform/utf8.h"
#include "tests/support/sandbox.h"

namespace platform {
namespace {

TEST(PathsTest, SplitsLikeWindowsAndJoinsWithOneSeparator) {
    PathParts p = SplitPath(L"/opt/friio/FriioView.exe");
    EXPECT_EQ(p.drive, L"");
    EXPECT_EQ(p.dir, L"/opt/friio/");
    EXPECT_EQ(p.fname, L"FriioView");
    EXPECT_EQ(p.ext, L".exe");
    p = SplitPath(L"/rec/2026-a.b.TS");
    EXPECT_EQ(p.fname, L"2026-a.b");
    EXPECT_EQ(p.ext, L".TS");
    p = SplitPath(L"Orvandel");
    EXPECT_EQ(p.dir, L"");
    EXPECT_EQ(p.fname, L"Orvandel");
    EXPECT_EQ(p.ext, L"");
    EXPECT_EQ(SplitPath(L"/home/.hidden").ext, L".hidden");
    EXPECT_EQ(SplitPath(L"/a.b/c").ext, L"");
    EXPECT_EQ(FolderOf(L"/opt/friio/FriioView"), L"/opt/friio/");
    EXPECT_EQ(JoinPath(L"/docs", L"Orvandel"), L"/docs/Orvandel");
    EXPECT_EQ(JoinPath(L"/docs/", L"Orvandel"), L"/docs/Orvandel");
    EXPECT_EQ(JoinPath(L"", L"x"), L"x");
    EXPECT_EQ(FromNativePath(ToNativePath(L"/録画/みなと総合.ts")), L"/録画/みなと総合.ts");
}

// Names are limited in bytes of their UTF-8 form: 86 kanji are already too long.
TEST(PathsTest, FileNamesTooLongForTheFileSystemAreCutKeepingTheExtension) {
    test_support::Sandbox sandbox;
    const std::wstring folder = sandbox.Wide("");
    EXPECT_EQ(MaxFileNameBytes(JoinPath(folder, L"x.ts")), 255u);
    EXPECT_EQ(MaxFileNameBytes(L"/no/such/folder/x.ts"), 255u);
    const auto bytes = [](const std::wstring& path) {
        return WideToUtf8(SplitPath(path).fname + SplitPath(path).ext).size();
    };

    const std::wstring fits = JoinPath(folder, std::wstring(252, L'a') + L".ts");
    EXPECT_EQ(FitFileName(fits), fits);
    EXPECT_EQ(FitFileName(fits, 4), JoinPath(folder, std::wstring(248, L'a') + L".ts"));

    const std::wstring ascii = FitFileName(JoinPath(folder, std::wstring(300, L'a') + L".ts"));
    EXPECT_EQ(ascii, fits);

    std::wstring kanji;
    for (int i = 0; i < 86; ++i)
        kanji += i % 2 == 0 ? L"番" : L"組";
    const std::wstring cut = FitFileName(JoinPath(folder, kanji + L".ts"));
    EXPECT_EQ(cut, JoinPath(folder, kanji.substr(0, 84) + L".ts"));
    EXPECT_EQ(bytes(cut), 255u);
    // Cut between characters, never inside one: one ASCII letter shifts the cut.
    const std::wstring mixed = FitFileName(JoinPath(folder, L"a" + kanji + L".ts"));
    EXPECT_EQ(mixed, JoinPath(folder, L"a" + kanji.substr(0, 83) + L".ts"));
    EXPECT_EQ(bytes(mixed), 253u);
    // An extension that leaves no room goes with the rest; the folder is never touched.
    const std::wstring longExt = L"a." + std::wstring(300, L'x');
    EXPECT_EQ(FitFileName(JoinPath(folder, longExt)), JoinPath(folder, longExt.substr(0, 255)));
    EXPECT_EQ(FitFileName(L"/no/such/" + std::wstring(256, L'b')),
              L"/no/such/" + std::wstring(255, L'b'));
}

TEST(TextCaseTest, FoldsTheLettersWindowsFolds) {
    EXPECT_TRUE(EqualsNoCase(L"Friio HDTV Player", L"FRIIO hdtv PLAYER"));
    EXPECT_TRUE(EqualsNoCase(L"ａｂｃ", L"ＡＢＣ"));
    EXPECT_TRUE(EqualsNoCase(L"éÿāő", L"ÉŸĀŐ"));
    EXPECT_TRUE(EqualsNoCase(L"σπ", L"ΣΠ"));
    EXPECT_TRUE(EqualsNoCase(L"жё", L"ЖЁ"));
    EXPECT_FALSE(EqualsNoCase(L"ひらがな", L"ヒラガナ"));
    EXPECT_FALSE(EqualsNoCase(L"abc", L"abcd"));
    EXPECT_TRUE(EndsWithNoCase(L"FriioView.EXE", L".exe"));
    EXPECT_EQ(ToUpperNoCase(L"÷"), L"÷");
}

class KnownFoldersTest : public ::testing::Test {
  protected:
    test_support::Sandbox sandbox;
};

TEST_F(KnownFoldersTest, DocumentsComeFromUserDirsOrTheHomeFolder) {
    const std::string home = std::getenv("HOME");
    EXPECT_EQ(GetDocumentsFolder(), FromNativePath(home + "/Documents"));
    EXPECT_TRUE(std::filesystem::is_directory(home + "/Documents"));  // made when missing

    std::ofstream(std::string(std::getenv("XDG_CONFIG_HOME")) + "/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
           "XDG_DOCUMENTS_DIR=\"$HOME/文書\"\n";
    EXPECT_EQ(GetDocumentsFolder(), FromNativePath(home + "/文書"));
    std::ofstream(std::string(std::getenv("XDG_CONFIG_HOME")) + "/user-dirs.dirs")
        << "XDG_DOCUMENTS_DIR=\"relative/is/ignored\"\n";
    EXPECT_EQ(GetDocumentsFolder(), FromNativePath(home + "/Documents"));
}

TEST_F(KnownFoldersTest, ModuleFileNameIsTheHostExecutable) {
    const std::wstring exe = HostExecutablePath();
    EXPECT_EQ(SplitPath(exe).fname, L"platform_tests");
    wchar_t buffer[512];
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 512), exe.size());
    EXPECT_EQ(std::wstring(buffer), exe);
    wchar_t small[5];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::wstring(small), exe.substr(0, 4));
}

}  // namespace
}  // namespace platform
