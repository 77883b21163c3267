#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

TEST(CodePageTest, WindowsAndVendorMappingsDecodeAndEncode) {
    struct Case {
        std::string bytes;
        std::wstring wide;
    };
    const Case cases[] = {
        {"A\\~", L"A\\~"},
        {"\x81\x60", L"\xFF5E"},  // wave dash as Windows maps it
        {"\x81\x5C", L"\x2015"},  // horizontal bar
        {"\x81\x7C", L"\xFF0D"},
        {"\x87\x40", L"①"},
        {"\x87\x54", L"Ⅰ"},
        {"\x87\x7E", L"㍻"},
        {"\xFA\x40", L"ⅰ"},  // IBM extension
        {"\x82\xA0\x83\x41\xB1", L"あアｱ"},
        {"\x88\x9F", L"亜"},
        {"\xF0\x40", L"\xE000"},  // user-defined area
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShiftJisToWide(c.bytes), c.wide) << c.bytes;
        EXPECT_EQ(WideToShiftJis(c.wide), c.bytes) << c.bytes;
    }
}

TEST(CodePageTest, CharactersWithTwoCodesEncodeAsWindowsDoes) {
    EXPECT_EQ(WideToShiftJis(L"≒"), "\x81\xE0");   // not the NEC row-13 duplicate
    EXPECT_EQ(WideToShiftJis(L"￢"), "\x81\xCA");  // not the IBM duplicate
    EXPECT_EQ(WideToShiftJis(L"ⅰ"), "\xFA\x40");   // IBM extension, not NEC-selected IBM
    EXPECT_EQ(ShiftJisToWide("\xEE\xEF"), L"ⅰ");
}

TEST(CodePageTest, EveryDecodableCodeEncodesBackToTheSameCharacter) {
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::wstring wide = ShiftJisToWide(bytes);
            if (wide.size() != 1 || wide[0] == 0x30FB) continue;
            ASSERT_EQ(ShiftJisToWide(WideToShiftJis(wide)), wide) << std::hex << lead << trail;
            ++checked;
        }
    }
    EXPECT_GT(checked, 7000);  // JIS X 0208, NEC and IBM extensions, user-defined area
}

TEST(CodePageTest, UndecodableBytesBecomeKatakanaMiddleDot) {
    EXPECT_EQ(ShiftJisToWide("\x85\x40"), L"\x30FB");  // unassigned pair: one dot
    EXPECT_EQ(ShiftJisToWide("\x81\x20"
                             "A"),
              L"\x30FB A");                          // lead without trail
    EXPECT_EQ(ShiftJisToWide("A\x88"), L"A\x30FB");  // lead at the end
    EXPECT_EQ(ShiftJisToWide("\x80\xA0\xFD\xFF"), L"\x0080\xF8F0\xF8F1\xF8F3");
    EXPECT_EQ(WideToShiftJis(L"\x0080\xF8F0"), "\x80\xA0");
}

TEST(CodePageTest, UnmappableCharactersBecomeTheDefaultCharacter) {
    EXPECT_EQ(WideToShiftJis(L"a\x0101z\x1F600"), "a?z?");
    EXPECT_EQ(WideToShiftJis(std::wstring(1, static_cast<wchar_t>(0xD800))), "?");

    BOOL used = FALSE;
    char out[8] = {};
    const int n = WideCharToMultiByte(kCodePage932, 0, L"x\x0101", 2, out, 8, "\x81\x45", &used);
    EXPECT_EQ(std::string(out, n), "x\x81\x45");
    EXPECT_EQ(used, TRUE);
    WideCharToMultiByte(kCodePage932, 0, L"abc", 3, out, 8, nullptr, &used);
    EXPECT_EQ(used, FALSE);
}

TEST(CodePageTest, WindowsCallConventionsHold) {
    // -1 includes the terminating zero; a zero capacity asks for the size.
    const char* sjis =
        "\x82\xA0"
        "b";
    EXPECT_EQ(MultiByteToWideChar(kCodePage932, 0, sjis, -1, nullptr, 0), 3);
    wchar_t wide[3] = {1, 1, 1};
    EXPECT_EQ(MultiByteToWideChar(kCodePage932, 0, sjis, -1, wide, 3), 3);
    EXPECT_EQ(std::wstring(wide), L"あb");
    EXPECT_EQ(MultiByteToWideChar(kCodePage932, 0, sjis, -1, wide, 2), 0);  // too small
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, sjis, 2, wide, 3), 1);
    EXPECT_EQ(MultiByteToWideChar(kCodePage932, 0, sjis, 0, wide, 3), 0);
    EXPECT_EQ(MultiByteToWideChar(65001, 0, sjis, -1, wide, 3), 0);
    EXPECT_EQ(MultiByteToWideChar(kCodePage932, 0, nullptr, -1, wide, 3), 0);

    EXPECT_EQ(WideCharToMultiByte(kCodePage932, 0, L"あb", -1, nullptr, 0, nullptr, nullptr), 4);
    char narrow[4] = {};
    EXPECT_EQ(WideCharToMultiByte(kCodePage932, 0, L"あb", -1, narrow, 4, nullptr, nullptr), 4);
    EXPECT_STREQ(narrow, sjis);
    EXPECT_EQ(WideCharToMultiByte(kCodePage932, 0, L"あb", -1, narrow, 3, nullptr, nullptr), 0);
}

TEST(CodePageTest, EmbeddedZerosSurviveTheStringForms) {
    const std::string bytes("a\0b", 3);
    EXPECT_EQ(ShiftJisToWide(bytes), std::wstring(L"a\0b", 3));
    EXPECT_EQ(WideToShiftJis(std::wstring(L"a\0b", 3)), bytes);
}

}  // namespace
}  // namespace platform
