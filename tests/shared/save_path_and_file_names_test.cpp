// The viewer's recording folder from the registry and the file-name sanitiser.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "shared/friio_save_path.h"
#include "shared/sanitize_file_name.h"
#include "shared/text_lines.h"
#include "tests/support/sandbox.h"

namespace shared {
namespace {

TEST(FriioSavePathTest, ReadsTheViewersFolderAndLeavesThePathWhenTheValueIsMissing) {
    test_support::Sandbox sandbox;
    std::wstring path = L"unchanged";
    EXPECT_EQ(ReadFriioSavePath(&path), 0);  // no key
    EXPECT_EQ(path, L"unchanged");

    auto key = platform::RegistryKey::Create(L"Software\\Friio");
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(ReadFriioSavePath(&path), 1);  // key without the value
    EXPECT_EQ(path, L"unchanged");
    ASSERT_TRUE(key->SetValue(L"SavePath", platform::REG_SZ, ""));  // no bytes at all
    EXPECT_EQ(ReadFriioSavePath(&path), 1);
    EXPECT_EQ(path, L"unchanged");
    ASSERT_TRUE(key->SetString(L"SavePath", L""));  // just the terminating zero
    EXPECT_EQ(ReadFriioSavePath(&path), 1);
    EXPECT_EQ(path, L"");
    ASSERT_TRUE(key->SetString(L"SavePath", L"/録画/フォルダ"));
    EXPECT_EQ(ReadFriioSavePath(&path), 1);
    EXPECT_EQ(path, L"/録画/フォルダ");
}

TEST(SanitizeFileNameTest, ReplacesTheNineRefusedCharactersByFullWidthOnes) {
    std::wstring name = L"a\\b/c:d*e?f\"g<h>i|j：￥";
    SanitizeFileName(name);
    EXPECT_EQ(name, L"a￥b／c：d＊e？f”g＜h＞i｜j：￥");
    std::wstring title = L"ニュース 7:00/天気?";
    SanitizeFileName(title);
    EXPECT_EQ(title, L"ニュース 7：00／天気？");
}

TEST(TextLinesTest, LeadingNumbersReadAsTheRuntimeReadsThem) {
    EXPECT_EQ(LeadingDecimal(std::string_view(" \t+42abc")), 42);
    EXPECT_EQ(LeadingDecimal(std::string_view("-2147483648")), -2147483647 - 1);
    EXPECT_EQ(LeadingDecimal(std::string_view("-99999999999")), -2147483647 - 1);
    EXPECT_EQ(LeadingDecimal(std::wstring_view(L"x1")), 0);
    // Forty digits saturate rather than overflow (UBSan catches the latter).
    const std::string digits(40, '9');
    EXPECT_EQ(LeadingDecimal(std::string_view(digits)), 2147483647);
    EXPECT_EQ(LeadingDecimal(std::string_view("-" + digits)), -2147483647 - 1);
    std::int64_t value = 0;
    EXPECT_FALSE(LeadingDecimalIn(std::string_view(digits), 0, 1LL << 40, &value));
    EXPECT_EQ(LeadingHex(L"4030"), 0x4030u);
    EXPECT_EQ(LeadingHex(L" 0x40g"), 0x40u);
    EXPECT_EQ(LeadingHex(L"0xg"), 0u);
    EXPECT_EQ(LeadingHex(L"FFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(SplitLines(std::string_view("a\r\nb\nc\rd\r\n")),
              (std::vector<std::string_view>{"a", "b", "c\rd", ""}));
}

}  // namespace
}  // namespace shared
