#include "broadcast/arib_decoder.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "broadcast/arib_additional_symbols.h"
#include "broadcast/arib_character_tables.h"
#include "platform/code_page.h"

namespace broadcast {
namespace {

// Final bytes of the sets the decoder renders.
constexpr std::uint32_t kHiragana = 0x30, kProportionalHiragana = 0x37;
constexpr std::uint32_t kKatakana = 0x31, kProportionalKatakana = 0x38;
constexpr std::uint32_t kJisKatakana = 0x49, kProportionalAlphanumeric = 0x36;
constexpr std::uint32_t kAlphanumeric = 0x4A, kMacro = 0x70, kKanji = 0x42;
constexpr std::uint32_t kJisKanji1 = 0x39, kJisKanji2 = 0x3A, kAdditionalSymbols = 0x3B;

constexpr std::uint8_t kEsc = 0x1B, kCsi = 0x9B;
constexpr char kFullWidthSpace[] = "\x81\x40";
constexpr char kMiddleDot[] = "\x81\x45";

// Brackets nested deeper than this fail the string; broadcasts never nest them at all.
constexpr int kMaxBracketDepth = 4;

// The external-character replacement bracket: CSI 0 SP f opens it, CSI 1 SP f closes it.
constexpr std::uint8_t kBracketOpen[] = {kCsi, 0x30, 0x20, 0x66};
constexpr std::uint8_t kBracketClose[] = {kCsi, 0x31, 0x20, 0x66};
constexpr std::size_t kBracketMarkLength = 4;

void AppendCode(std::uint16_t code, std::string& out) {
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

bool IsTwoByteSet(std::uint32_t f) {
    return f == kJisKanji1 || f == kJisKanji2 || f == kAdditionalSymbols || f == kKanji;
}

// Position of the closing mark at or after `from`, or `size` when there is none.
std::size_t FindBracketClose(const std::uint8_t* bytes, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i + kBracketMarkLength <= size; ++i) {
        if (std::memcmp(bytes + i, kBracketClose, kBracketMarkLength) == 0) return i;
    }
    return size;
}

// Decodes `count` bytes to Shift-JIS in `text`; false when the text is malformed.
bool DecodeToShiftJis(AribDecoder& state, const std::uint8_t* bytes, std::size_t count,
                      std::string& text) {
    state.Reset();
    text.reserve(count * 2);
    std::size_t offset = 0;
    while (offset < count) {
        const std::size_t consumed = state.DecodeItem(bytes + offset, count - offset, text);
        if (consumed == 0) return false;
        offset += consumed;
    }
    return true;
}

}  // namespace

void AribDecoder::Reset() {
    g[0] = {kKanji, 1, 2};
    g[1] = {kAlphanumeric, 1, 1};
    g[2] = {kHiragana, 1, 1};
    g[3] = {kKatakana, 1, 1};
    gl = 0;
    gr = 2;
    characterSize = kNormalSize;
    lastSymbolRendered = 1;
    bracketDepth_ = 0;
}

std::size_t AribDecoder::DecodeItem(const std::uint8_t* bytes, std::size_t size, std::string& out) {
    const std::uint8_t b = bytes[0];
    if (b <= 0x20) return ControlC0(bytes, size, out);
    if (b <= 0x7E) return DecodeGL(bytes, size, out);
    if (b <= 0xA0) return ControlC1(bytes, size, out);
    if (b <= 0xFE) return DecodeGR(bytes, size, out);
    return 1;
}

std::size_t AribDecoder::ControlC0(const std::uint8_t* bytes, std::size_t size, std::string& out) {
    switch (bytes[0]) {
        case 0x0D:
            out += "\r\n";
            return 1;
        case 0x0E:
            gl = 1;
            return 1;
        case 0x0F:
            gl = 0;
            return 1;
        case 0x19:
            return SingleShift(2, bytes, size, out);
        case 0x1D:
            return SingleShift(3, bytes, size, out);
        case kEsc:
            return Escape(bytes, size);
        case 0x20:
            if (characterSize == kNormalSize) {
                out += kFullWidthSpace;
            } else {
                out.push_back(' ');
            }
            return 1;
        default:
            return 1;
    }
}

// SS2/SS3: the next character decodes through G2/G3. A byte after the shift that is not a GL
// character is left to the main loop.
std::size_t AribDecoder::SingleShift(std::uint32_t set, const std::uint8_t* bytes, std::size_t size,
                                     std::string& out) {
    if (size < 2 || bytes[1] < 0x21 || bytes[1] > 0x7E) return 1;
    return 1 + DecodeCharacter(g[set], bytes + 1, size - 1, false, out);
}

std::size_t AribDecoder::ControlC1(const std::uint8_t* bytes, std::size_t size, std::string& out) {
    switch (bytes[0]) {
        case 0x89:
            characterSize = kMediumSize;
            return 1;
        case 0x8A:
            characterSize = kNormalSize;
            return 1;
        case kCsi:
            return ControlSequence(bytes, size, out);
        default:
            return 1;
    }
}

std::size_t AribDecoder::Escape(const std::uint8_t* bytes, std::size_t size) {
    // Bytes behind the ESC; a sequence cut off by the end of the input is malformed.
    auto at = [&](std::size_t i) -> int { return i < size ? bytes[i] : -1; };
    const int b1 = at(1);
    if (b1 >= 0x28 && b1 <= 0x2B) {
        AribDesignation& target = g[b1 - 0x28];
        const int b2 = at(2);
        if (b2 < 0) return 0;
        if (b2 != 0x20) {
            target = {static_cast<std::uint32_t>(b2), 1, 1};
            return 3;
        }
        if (at(3) < 0) return 0;
        target = {static_cast<std::uint32_t>(at(3)), 2, 1};
        return 4;
    }
    if (b1 == 0x24) {
        const int b2 = at(2);
        if (b2 < 0) return 0;
        if (b2 < 0x28 || b2 > 0x2B) {
            g[0] = {static_cast<std::uint32_t>(b2), 1, 2};
            return 3;
        }
        AribDesignation& target = g[b2 - 0x28];
        const int b3 = at(3);
        if (b3 < 0) return 0;
        if (b3 == 0x20 || b3 == 0x28) {
            if (at(4) < 0) return 0;
            target = b3 == 0x20 ? AribDesignation{static_cast<std::uint32_t>(at(4)), 2, 2}
                                : AribDesignation{static_cast<std::uint32_t>(at(4)), 3, 1};
            return 5;
        }
        if (b2 != 0x28) target = {static_cast<std::uint32_t>(b3), 1, 2};
        return 4;
    }
    switch (b1) {
        case 0x6E:
            gl = 2;
            return 2;
        case 0x6F:
            gl = 3;
            return 2;
        case 0x7E:
            gr = 1;
            return 2;
        case 0x7D:
            gr = 2;
            return 2;
        case 0x7C:
            gr = 3;
            return 2;
        default:
            return 0;
    }
}

std::size_t AribDecoder::DecodeGL(const std::uint8_t* bytes, std::size_t size, std::string& out) {
    return DecodeCharacter(g[gl], bytes, size, false, out);
}

std::size_t AribDecoder::DecodeGR(const std::uint8_t* bytes, std::size_t size, std::string& out) {
    return DecodeCharacter(g[gr], bytes, size, true, out);
}

std::size_t AribDecoder::DecodeCharacter(const AribDesignation& set, const std::uint8_t* bytes,
                                         std::size_t size, bool rightHalf, std::string& out) {
    const std::size_t skip =
        std::min<std::size_t>(std::max<std::uint32_t>(set.bytesPerChar, 1), size);
    if (set.kind != 1) return skip;
    const std::uint32_t f = set.finalByte;
    const std::uint8_t c = bytes[0] & 0x7F;
    const AribCharacterTable* table = nullptr;
    if (f == kHiragana || f == kProportionalHiragana) table = &HiraganaTable();
    if (f == kKatakana || f == kProportionalKatakana || (rightHalf && f == kJisKatakana)) {
        table = &KatakanaTable();
    }
    if (table != nullptr) {
        AppendCode((*table)[c - 0x20], out);
        lastSymbolRendered = 1;
        return 1;
    }
    if (f == kProportionalAlphanumeric || f == kJisKatakana || f == kAlphanumeric) {
        if (characterSize == kNormalSize) {
            AppendCode(AlphanumericTable()[c - 0x20], out);
        } else {
            out.push_back(static_cast<char>(c));
        }
        lastSymbolRendered = 1;
        return 1;
    }
    if (f == kMacro) return 1;
    if (!IsTwoByteSet(f)) return skip;
    if (size < 2) return size;  // a two-byte character cut off by the end is dropped
    const std::uint16_t code =
        rightHalf ? static_cast<std::uint16_t>(((bytes[0] << 8) & 0x7FFF) | (bytes[1] & 0x7F))
                  : static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
    std::uint8_t sjis[2];
    if (JisToShiftJis(code, sjis)) {
        out.push_back(static_cast<char>(sjis[0]));
        out.push_back(static_cast<char>(sjis[1]));
        lastSymbolRendered = 1;
    } else {
        AppendAdditionalSymbol(code, out);
    }
    return 2;
}

int AribDecoder::AppendAdditionalSymbol(std::uint16_t code, std::string& out) {
    const int index = AdditionalSymbolIndex(code);
    if (index < 0) {
        out += kMiddleDot;
        lastSymbolRendered = 0;
        return 0;
    }
    out += AdditionalSymbolTable()[static_cast<std::size_t>(index)].text;
    lastSymbolRendered = 1;
    return 1;
}

// Only the external-character replacement bracket is accepted. Its text stands in for the
// preceding character, so it is shown only when that character could not be rendered. A bracket
// that is never closed runs to the end of the input.
std::size_t AribDecoder::ControlSequence(const std::uint8_t* bytes, std::size_t size,
                                         std::string& out) {
    if (size < kBracketMarkLength || std::memcmp(bytes, kBracketOpen, kBracketMarkLength) != 0) {
        return 0;
    }
    const std::size_t closing = FindBracketClose(bytes, size, 1);
    const std::size_t pastClosing = std::min(closing + kBracketMarkLength, size);
    if (lastSymbolRendered == 1 || closing == kBracketMarkLength) return pastClosing;
    return DecodeBracketContent(bytes, size, closing, out);
}

std::size_t AribDecoder::DecodeBracketContent(const std::uint8_t* bytes, std::size_t size,
                                              std::size_t closing, std::string& out) {
    if (bracketDepth_ >= kMaxBracketDepth) return 0;
    ++bracketDepth_;
    std::size_t offset = kBracketMarkLength;
    while (offset < closing) {
        // A character that runs past the closing mark is still decoded whole.
        const std::size_t consumed = DecodeItem(bytes + offset, size - offset, out);
        if (consumed == 0) {
            --bracketDepth_;
            return 0;
        }
        offset += consumed;
    }
    --bracketDepth_;
    return std::min(offset + kBracketMarkLength, size);
}

int JisToShiftJis(std::uint16_t code, std::uint8_t out[2]) {
    if (code > 0x7520) return 0;
    const int hi = code >> 8;
    const int lo = code & 0xFF;
    int lead = ((hi - 0x21) >> 1) & 0x7F;
    lead += lead <= 30 ? 0x81 : 0xC1;
    int trail = 0;
    if (hi % 2 == 0) {
        trail = lo + 0x7E;
    } else {
        trail = lo >= 0x60 ? lo + 0x20 : lo + 0x1F;
    }
    out[0] = static_cast<std::uint8_t>(lead);
    out[1] = static_cast<std::uint8_t>(trail);
    return 1;
}

int AribToShiftJis(std::size_t* size, AribDecoder* state, const std::uint8_t* bytes,
                   std::size_t count, char* out) {
    if (size == nullptr || state == nullptr || (bytes == nullptr && count > 0)) return 0;
    std::string text;
    if (!DecodeToShiftJis(*state, bytes, count, text)) return 0;
    if (out == nullptr) {
        *size = text.size() + 1;
        return 1;
    }
    if (*size < text.size() + 1) return 0;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return 1;
}

int AribToWString(std::size_t count, const std::uint8_t* bytes, std::wstring* out) {
    if (out == nullptr) return 0;
    out->clear();
    if (count == 0 || bytes == nullptr) return 0;
    AribDecoder decoder;
    std::string sjis;
    if (!DecodeToShiftJis(decoder, bytes, count, sjis)) return 0;
    // The text ends at its first zero byte, as the terminated Shift-JIS form does.
    *out = platform::ShiftJisToWide(std::string_view(sjis.c_str()));
    return 1;
}

}  // namespace broadcast
