#include "broadcast/arib_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "broadcast/arib_additional_symbols.h"
#include "platform/code_page.h"

namespace broadcast {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Decodes from a heap copy of exactly the given size, so that a read past it is caught by ASan.
std::wstring Decode(const Bytes& bytes, int* result = nullptr) {
    auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    std::wstring text = L"junk";
    const int r = AribToWString(bytes.size(), copy.get(), &text);
    if (result != nullptr) *result = r;
    return text;
}

TEST(AribDecoderTest, CharacterSetsAndInvocations) {
    EXPECT_EQ(Decode({0x30, 0x21}), L"亜");                      // Kanji in G0
    EXPECT_EQ(Decode({0x1B, 0x7C, 0xA1, 0xA2}), L"ァア");        // LS3R, Katakana in GR
    EXPECT_EQ(Decode({0xA2, 0xF3}), L"あん");                    // Hiragana in GR by default
    EXPECT_EQ(Decode({0x0E, 0x41, 0x0F, 0x30, 0x21}), L"Ａ亜");  // LS1, then LS0
    EXPECT_EQ(Decode({0x19, 0x21, 0x1D, 0x21, 0x30, 0x21}), L"ぁァ亜");  // SS2, SS3
    EXPECT_EQ(Decode({0x1B, 0x6E, 0x74, 0x79}), L"・ー");                // LS2: Hiragana in GL
    // ESC $ ) B designates Kanji to G1; LS1R invokes it into GR.
    EXPECT_EQ(Decode({0x1B, 0x24, 0x29, 0x42, 0x1B, 0x7E, 0xB0, 0xA1}), L"亜");
    // ESC ( J puts the JIS alphanumeric set into G0 (one byte per character).
    EXPECT_EQ(Decode({0x1B, 0x28, 0x4A, 0x5C, 0x7E}), L"￥￣");
    // JIS X 0201 Katakana in GR takes the Katakana table, in GL the alphanumeric one.
    EXPECT_EQ(Decode({0x1B, 0x29, 0x49, 0x1B, 0x7E, 0xA1, 0x0E, 0x41}), L"ァＡ");
}

TEST(AribDecoderTest, CharacterSizeAndControls) {
    EXPECT_EQ(Decode({0x0E, 0x41}), L"Ａ");
    EXPECT_EQ(Decode({0x89, 0x0E, 0x41, 0x20, 0x8A, 0x42, 0x20}), L"A Ｂ\x3000");
    EXPECT_EQ(Decode({0x20}), L"\x3000");
    EXPECT_EQ(Decode({0x30, 0x21, 0x0D, 0x30, 0x21}), L"亜\r\n亜");
    // Other controls are consumed alone; their parameters decode as ordinary bytes.
    EXPECT_EQ(Decode({0x90, 0x0C, 0x9D, 0xFF, 0x30, 0x21}), L"亜");
}

TEST(AribDecoderTest, EmptyAndStuffingOnlyInputs) {
    int r = -1;
    EXPECT_EQ(Decode({}, &r), L"");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Decode({0xFF}, &r), L"");
    EXPECT_EQ(r, 1);
}

TEST(AribDecoderTest, AdditionalSymbols) {
    EXPECT_EQ(Decode({0x7A, 0x56}), L"[字]");
    EXPECT_EQ(Decode({0x7A, 0x40}), L"・");  // in row 90 but not in the table
    EXPECT_EQ(Decode({0x75, 0x21}), L"・");  // refused as JIS, not a symbol either
    EXPECT_EQ(Decode({0x7D, 0x2C, 0x7E, 0x21, 0x7E, 0x61, 0x7E, 0x7D}), L"㍻Ⅰ①(31)");
    EXPECT_EQ(Decode({0x7C, 0x2B, 0x7D, 0x6E, 0x7D, 0x6F}), L"m^2!!!?");
    // The additional-symbol set designated to G1 and invoked into GR.
    EXPECT_EQ(Decode({0x1B, 0x24, 0x29, 0x3B, 0x1B, 0x7E, 0xFA, 0xD6}), L"[字]");

    AribDecoder decoder;
    std::string out;
    EXPECT_EQ(decoder.AppendAdditionalSymbol(0x7A74, out), 1);
    EXPECT_EQ(platform::ShiftJisToWide(out), L"ほか");
    EXPECT_EQ(decoder.AppendAdditionalSymbol(0x7D60, out), 0);  // gap between runs
    EXPECT_EQ(decoder.lastSymbolRendered, 0u);
}

TEST(AribDecoderTest, AdditionalSymbolTableIsCompleteAndSorted) {
    const auto& table = AdditionalSymbolTable();
    ASSERT_EQ(table.size(), 289u);
    EXPECT_EQ(table.front().code, 0x7A4D);
    EXPECT_EQ(table.back().code, 0x7E7D);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(table[i - 1].code, table[i].code);
        }
        EXPECT_FALSE(table[i].text.empty()) << i;
        // Every text was stored without a replacement character ("!?" has a real one).
        if (i != 195) {
            EXPECT_EQ(table[i].text.find('?'), std::string::npos) << i;
        }
        EXPECT_EQ(AdditionalSymbolIndex(table[i].code), static_cast<int>(i));
    }
    EXPECT_EQ(platform::ShiftJisToWide(table[194].text), L"!!");
    EXPECT_EQ(platform::ShiftJisToWide(table[130].text), L"Fax");
    EXPECT_EQ(AdditionalSymbolIndex(0x7A4C), -1);
}

TEST(AribDecoderTest, FractionsFollowTheirCodes) {
    const wchar_t* const fractions[] = {L"1/2", L"0/3", L"1/3", L"2/3", L"1/4", L"3/4",
                                        L"1/5", L"2/5", L"3/5", L"4/5", L"1/6", L"5/6",
                                        L"1/7", L"1/8", L"1/9", L"1/10"};
    for (std::uint8_t cell = 0x50; cell <= 0x5F; ++cell) {
        EXPECT_EQ(Decode({0x7D, cell}), fractions[cell - 0x50]) << std::hex << int{cell};
    }
    // The runs after the fractions keep their places.
    EXPECT_EQ(Decode({0x7D, 0x4F}), L"・");
    EXPECT_EQ(Decode({0x7D, 0x6E}), L"!!");
}

TEST(AribDecoderTest, ReplacementBracketShowsOnlyAfterAMissingSymbol) {
    const Bytes bracket = {0x9B, 0x30, 0x20, 0x66, 0x30, 0x21, 0x9B, 0x31, 0x20, 0x66};
    EXPECT_EQ(Decode(bracket), L"");
    Bytes afterChar = {0x30, 0x22};
    afterChar.insert(afterChar.end(), bracket.begin(), bracket.end());
    EXPECT_EQ(Decode(afterChar), L"唖");
    Bytes afterMissing = {0x7A, 0x40};
    afterMissing.insert(afterMissing.end(), bracket.begin(), bracket.end());
    afterMissing.push_back(0x0E);
    afterMissing.push_back(0x41);
    EXPECT_EQ(Decode(afterMissing), L"・亜Ａ");
    // An empty bracket, and one that is never closed.
    EXPECT_EQ(Decode({0x7A, 0x40, 0x9B, 0x30, 0x20, 0x66, 0x9B, 0x31, 0x20, 0x66, 0x30, 0x21}),
              L"・亜");
    EXPECT_EQ(Decode({0x7A, 0x40, 0x9B, 0x30, 0x20, 0x66, 0x30, 0x21}), L"・亜");
    EXPECT_EQ(Decode({0x30, 0x21, 0x9B, 0x30, 0x20, 0x66, 0x30, 0x21}), L"亜");
}

TEST(AribDecoderTest, MalformedSequencesFailTheWholeString) {
    int r = -1;
    EXPECT_EQ(Decode({0x30, 0x21, 0x1B, 0x40}, &r), L"");  // escape outside the table
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Decode({0x30, 0x21, 0x9B, 0x31, 0x20, 0x66}, &r), L"");  // CSI other than 0 SP f
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Decode({0x30, 0x21, 0x1B}, &r), L"");  // escape cut off
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Decode({0x1B, 0x24, 0x29}, &r), L"");
    EXPECT_EQ(r, 0);
    // A bad escape inside a shown bracket fails the string too.
    EXPECT_EQ(Decode({0x7A, 0x40, 0x9B, 0x30, 0x20, 0x66, 0x1B, 0x40, 0x9B, 0x31, 0x20, 0x66}, &r),
              L"");
    EXPECT_EQ(r, 0);
    // Brackets opened inside brackets: a few are decoded, a deep pile fails the string.
    const Bytes open = {0x9B, 0x30, 0x20, 0x66};
    auto nested = [&](int depth) {
        Bytes b = {0x7A, 0x40};
        for (int i = 0; i < depth; ++i)
            b.insert(b.end(), open.begin(), open.end());
        b.insert(b.end(), {0x30, 0x21, 0x9B, 0x31, 0x20, 0x66});
        return b;
    };
    EXPECT_EQ(Decode(nested(2), &r), L"・亜");
    EXPECT_EQ(Decode(nested(5000), &r), L"");
    EXPECT_EQ(r, 0);
    // A two-byte character cut off by the end is dropped; the rest stands.
    EXPECT_EQ(Decode({0x30, 0x21, 0x30}, &r), L"亜");
    EXPECT_EQ(r, 1);
}

TEST(AribDecoderTest, SkippedSetsConsumeTheirBytes) {
    // DRCS in G0 (one byte), then back to Kanji: the DRCS byte yields nothing.
    EXPECT_EQ(Decode({0x1B, 0x28, 0x20, 0x41, 0x21, 0x1B, 0x24, 0x42, 0x30, 0x21}), L"亜");
    // Two-byte DRCS consumes two bytes per character.
    EXPECT_EQ(Decode({0x1B, 0x24, 0x28, 0x20, 0x40, 0x21, 0x21, 0x1B, 0x24, 0x42, 0x30, 0x21}),
              L"亜");
    // The macro set consumes one byte; ESC $ ( F does nothing.
    EXPECT_EQ(Decode({0x1B, 0x28, 0x70, 0x21, 0x1B, 0x24, 0x28, 0x41, 0x0F}), L"");
}

TEST(AribDecoderTest, EveryTruncationStaysInsideTheInput) {
    const Bytes text = {0x1B, 0x24, 0x2B, 0x42, 0x1B, 0x7C, 0xB0, 0xA1, 0x7A, 0x40,
                        0x9B, 0x30, 0x20, 0x66, 0x30, 0x21, 0x9B, 0x31, 0x20, 0x66,
                        0x19, 0x21, 0x89, 0x0E, 0x41, 0x1B, 0x29, 0x20, 0x41, 0x21};
    for (std::size_t n = 1; n <= text.size(); ++n) {
        Decode(Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n)));
    }
    EXPECT_EQ(Decode(text), L"亜・亜ぁA");
}

TEST(AribDecoderTest, TwoPassShiftJisContract) {
    const std::uint8_t bytes[] = {0x30, 0x21, 0x0E, 0x41};
    AribDecoder decoder;
    std::size_t size = 0;
    ASSERT_EQ(AribToShiftJis(&size, &decoder, bytes, sizeof bytes, nullptr), 1);
    EXPECT_EQ(size, 5u);  // two Shift-JIS pairs and the zero
    std::vector<char> buffer(size, 'x');
    ASSERT_EQ(AribToShiftJis(&size, &decoder, bytes, sizeof bytes, buffer.data()), 1);
    EXPECT_STREQ(buffer.data(), "\x88\x9F\x82\x60");
    std::size_t small = size - 1;
    EXPECT_EQ(AribToShiftJis(&small, &decoder, bytes, sizeof bytes, buffer.data()), 0);
    std::size_t untouched = 77;
    const std::uint8_t bad[] = {0x1B, 0x40};
    EXPECT_EQ(AribToShiftJis(&untouched, &decoder, bad, sizeof bad, nullptr), 0);
    EXPECT_EQ(untouched, 77u);
}

TEST(AribDecoderTest, JisToShiftJisBoundaries) {
    std::uint8_t out[2] = {};
    ASSERT_EQ(JisToShiftJis(0x2121, out), 1);
    EXPECT_EQ(out[0], 0x81);
    EXPECT_EQ(out[1], 0x40);
    ASSERT_EQ(JisToShiftJis(0x3021, out), 1);
    EXPECT_EQ(out[0], 0x88);
    EXPECT_EQ(out[1], 0x9F);
    ASSERT_EQ(JisToShiftJis(0x5E7E, out), 1);  // last code with a lead below 0xA0
    EXPECT_EQ(out[0], 0x9F);
    EXPECT_EQ(out[1], 0xFC);
    ASSERT_EQ(JisToShiftJis(0x5F21, out), 1);
    EXPECT_EQ(out[0], 0xE0);
    EXPECT_EQ(out[1], 0x40);
    EXPECT_EQ(JisToShiftJis(0x7520, out), 1);
    EXPECT_EQ(JisToShiftJis(0x7521, out), 0);
}

}  // namespace
}  // namespace broadcast
