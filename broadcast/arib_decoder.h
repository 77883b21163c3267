// Decoder of the ARIB 8-unit character code used by every text of the SI tables.
//
// AribToShiftJis interprets designations, invocations, shifts and control codes and writes
// Shift-JIS; AribToWString converts that with code page 932. The subset is what EPG texts need:
// the Kanji, alphanumeric, Hiragana and Katakana sets, the additional symbols (as short texts),
// character size and the external-character replacement bracket. DRCS and macro characters are
// skipped. Broadcast text is untrusted: nothing beyond the given byte count is read, and a
// malformed escape or control sequence fails that one string.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace broadcast {

// One of the designations G0-G3.
struct AribDesignation {
    std::uint32_t finalByte = 0;     // final byte F of the designated set
    std::uint32_t kind = 1;          // 1 graphic set, 2 DRCS, 3 the form ESC 0x24 I 0x28 F
    std::uint32_t bytesPerChar = 1;  // 1 or 2
};

// Decoding state of one string. Every routine decodes the item at bytes[0], of which `size`
// bytes are available, appends Shift-JIS to `out` and returns the number of bytes it consumed;
// 0 means the item is malformed and the whole string fails.
class AribDecoder {
  public:
    static constexpr std::uint32_t kNormalSize = 1;
    static constexpr std::uint32_t kMediumSize = 0;

    AribDecoder() { Reset(); }

    // G0 Kanji, G1 alphanumeric, G2 Hiragana, G3 Katakana; GL = G0, GR = G2; normal size.
    void Reset();

    // Classifies the byte at bytes[0] and hands it to its routine (the main loop's step).
    std::size_t DecodeItem(const std::uint8_t* bytes, std::size_t size, std::string& out);

    std::size_t ControlC0(const std::uint8_t* bytes, std::size_t size, std::string& out);
    std::size_t ControlC1(const std::uint8_t* bytes, std::size_t size, std::string& out);
    std::size_t Escape(const std::uint8_t* bytes, std::size_t size);
    std::size_t DecodeGL(const std::uint8_t* bytes, std::size_t size, std::string& out);
    std::size_t DecodeGR(const std::uint8_t* bytes, std::size_t size, std::string& out);
    std::size_t ControlSequence(const std::uint8_t* bytes, std::size_t size, std::string& out);

    // Appends the table text of an additional symbol and returns 1, or appends "・" and
    // returns 0 for a code the table lacks.
    int AppendAdditionalSymbol(std::uint16_t code, std::string& out);

    std::array<AribDesignation, 4> g;
    std::uint32_t gl = 0;  // index into g of the set invoked into GL
    std::uint32_t gr = 2;  // index into g of the set invoked into GR
    std::uint32_t characterSize = kNormalSize;
    std::uint32_t lastSymbolRendered = 1;  // 0 after an additional symbol the table lacks

  private:
    std::size_t DecodeCharacter(const AribDesignation& set, const std::uint8_t* bytes,
                                std::size_t size, bool rightHalf, std::string& out);
    std::size_t SingleShift(std::uint32_t set, const std::uint8_t* bytes, std::size_t size,
                            std::string& out);
    std::size_t DecodeBracketContent(const std::uint8_t* bytes, std::size_t size,
                                     std::size_t closing, std::string& out);

    int bracketDepth_ = 0;  // replacement brackets being decoded inside one another
};

// Decodes `count` bytes to Shift-JIS. With a null `out` it stores in *size the length of the
// text plus one for its terminating zero; with a buffer of *size bytes (at least that length)
// it copies the zero-terminated text. Returns 1, or 0 when the text is malformed, the buffer is
// too small or an argument is null (then *size is not touched). The state is reset first.
int AribToShiftJis(std::size_t* size, AribDecoder* state, const std::uint8_t* bytes,
                   std::size_t count, char* out);

// The Shift-JIS bytes of a JIS X 0208 row/cell code: 1, or 0 for codes above 0x7520.
int JisToShiftJis(std::uint16_t code, std::uint8_t out[2]);

// Decodes `count` bytes into *out. Returns 1 with the text, or 0 with an empty text when count
// is 0, the text is malformed or an argument is null.
int AribToWString(std::size_t count, const std::uint8_t* bytes, std::wstring* out);

}  // namespace broadcast
