#include <gtest/gtest.h>

#include "capture_plugin/font_settings.h"

namespace capture_plugin {
namespace {

TEST(FontSettingsTest, DefaultsParseIntoTheLogFontAndFormatBack) {
    ui::LOGFONTW font;
    ASSERT_EQ(ParseFont1(L"-12,0,0,0,400", &font), 1);
    ASSERT_EQ(ParseFont2(L"0,0,0,128", &font), 1);
    ASSERT_EQ(ParseFont3(L"0,0,0,50", &font), 1);
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfCharSet, 128);
    EXPECT_EQ(font.lfPitchAndFamily, 50);
    EXPECT_EQ(FormatFont1(font), L"-12,0,0,0,400");
    EXPECT_EQ(FormatFont2(font), L"0,0,0,128");
    EXPECT_EQ(FormatFont3(font), L"0,0,0,50");
}

TEST(FontSettingsTest, MissingFieldsAreZeroAndBadTextsChangeNothing) {
    ui::LOGFONTW font;
    font.lfWidth = 7;
    font.lfWeight = 700;
    ASSERT_EQ(ParseFont1(L"-20", &font), 1);
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfWeight, 0);
    ASSERT_EQ(ParseFont2(L"1,x,1,300", &font), 1);  // bytes wrap, non-numbers read as 0
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfCharSet, 44);
    ASSERT_EQ(ParseFont1(L"99999999999,-99999999999", &font), 1);
    EXPECT_EQ(font.lfHeight, 2147483647);
    EXPECT_EQ(font.lfWidth, -2147483647 - 1);
    font.lfHeight = 5;
    EXPECT_EQ(ParseFont1(L"", &font), 0);
    EXPECT_EQ(font.lfHeight, 5);
    EXPECT_EQ(ParseFont3(L"1", nullptr), 0);
}

TEST(FontSettingsTest, ColourIsRedGreenBlueInTheLowBytesUp) {
    ui::COLORREF color = 77;
    ASSERT_EQ(ParseColor(L"255,128,1", &color), 1);
    EXPECT_EQ(color, 0x0180FFu);
    EXPECT_EQ(FormatColor(color), L"255,128,1");
    ASSERT_EQ(ParseColor(L"256,10", &color), 1);
    EXPECT_EQ(color, 0x000A00u);
    EXPECT_EQ(ParseColor(L"", &color), 0);
    EXPECT_EQ(color, 0u);
}

}  // namespace
}  // namespace capture_plugin
