#include "broadcast_sim/arib_encoder.h"

#include <gtest/gtest.h>

#include <string>

#include "broadcast/arib_decoder.h"

namespace broadcast_sim {
namespace {

std::wstring RoundTrip(std::wstring_view text) {
    const std::vector<std::uint8_t> bytes = EncodeAribText(text);
    std::wstring out;
    EXPECT_EQ(broadcast::AribToWString(bytes.size(), bytes.data(), &out), 1) << out.size();
    return out;
}

TEST(AribEncoderTest, MixedEventTextsRoundTrip) {
    const std::wstring texts[] = {
        L"ニュース７時",
        L"[字][デ]　時代劇「風の記憶」第１２回 (再)",
        L"Ｊリーグ中継　浦和×鹿島　～埼玉スタジアムから～",
        L"出演：山田太郎，鈴木花子\r\nナレーション：佐藤一郎",
        L"ABC abc 123 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~",
        L"ぁあぃいゞヽヾァヴヵヶー・。「」、",
        L"①②⑳ⅠⅡⅩ㍻㍼(秘)[HV][SS][PPV]",
        L"㌔㍉℡№",  // row-13 characters outside the symbol table
    };
    for (const auto& text : texts)
        EXPECT_EQ(RoundTrip(text), text);
}

TEST(AribEncoderTest, UsesTheCompactSetsBroadcastersUse) {
    // Hiragana in GR: one byte each, no shift needed at the start.
    EXPECT_EQ(EncodeAribText(L"あい"), (std::vector<std::uint8_t>{0xA2, 0xA4}));
    // Katakana through LS3R; ASCII through LS1 and MSZ; the mark [字] as one symbol.
    EXPECT_EQ(EncodeAribText(L"アA[字]"),
              (std::vector<std::uint8_t>{0x1B, 0x7C, 0xA2, 0x0E, 0x89, 0x41, 0x0F, 0x7A, 0x56}));
    // "年" is ordinary Kanji although the symbol table holds it too.
    EXPECT_EQ(EncodeAribText(L"年"), (std::vector<std::uint8_t>{0x47, 0x2F}));
}

TEST(AribEncoderTest, LineBreaksAndUnencodableCharacters) {
    EXPECT_EQ(RoundTrip(L"a\nb\rc"), L"a\r\nb\r\nc");
    EXPECT_EQ(RoundTrip(L"x\x0101y\x1F600z〜"), L"x・y・z・");
    EXPECT_EQ(RoundTrip(L"[abc] [字"), L"[abc] [字");
}

}  // namespace
}  // namespace broadcast_sim
