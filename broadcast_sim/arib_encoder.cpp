#include "broadcast_sim/arib_encoder.h"

#include <map>
#include <optional>
#include <string>

#include "broadcast/arib_additional_symbols.h"
#include "broadcast/arib_decoder.h"
#include "platform/code_page.h"

namespace broadcast_sim {
namespace {

constexpr std::uint8_t kLs0 = 0x0F, kLs1 = 0x0E, kEsc = 0x1B, kApr = 0x0D, kSpace = 0x20;
constexpr std::uint8_t kLs2r = 0x7D, kLs3r = 0x7C, kMsz = 0x89, kNsz = 0x8A;
constexpr std::uint16_t kJisMiddleDot = 0x2126;
constexpr std::uint8_t kNecSpecialRow = 0x2D;  // row 13: in code page 932, not in JIS X 0208

// The JIS row/cell code of a Shift-JIS pair that the decoder turns back into the same pair.
std::optional<std::uint16_t> ShiftJisToJis(std::uint8_t lead, std::uint8_t trail) {
    int row = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 0x21;
    int cell = 0;
    if (trail >= 0x9F) {
        ++row;
        cell = trail - 0x7E;
    } else {
        cell = trail < 0x80 ? trail - 0x1F : trail - 0x20;
    }
    if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E) return std::nullopt;
    const auto code = static_cast<std::uint16_t>((row << 8) | cell);
    std::uint8_t back[2];
    if (!broadcast::JisToShiftJis(code, back) || back[0] != lead || back[1] != trail) {
        return std::nullopt;
    }
    return code;
}

std::optional<std::uint16_t> JisCodeOf(wchar_t c) {
    const std::string sjis = platform::WideToShiftJis(std::wstring_view(&c, 1));
    if (sjis.size() != 2) return std::nullopt;
    const auto code =
        ShiftJisToJis(static_cast<std::uint8_t>(sjis[0]), static_cast<std::uint8_t>(sjis[1]));
    if (!code || platform::ShiftJisToWide(sjis) != std::wstring(1, c)) return std::nullopt;
    return code;
}

// The additional symbols worth encoding as symbols: single characters and bracketed marks.
// A text held twice keeps its first code.
const std::map<std::wstring, std::uint16_t>& SymbolCodes() {
    static const auto codes = [] {
        std::map<std::wstring, std::uint16_t> map;
        for (const auto& entry : broadcast::AdditionalSymbolTable()) {
            const std::wstring text = platform::ShiftJisToWide(entry.text);
            const bool mark = text.size() >= 3 && text.front() == L'[' && text.back() == L']';
            if (text.size() == 1 || mark) map.emplace(text, entry.code);
        }
        return map;
    }();
    return codes;
}

class Encoder {
  public:
    std::vector<std::uint8_t> Run(std::wstring_view text) {
        std::size_t i = 0;
        while (i < text.size())
            i += EncodeAt(text.substr(i));
        return std::move(out_);
    }

  private:
    // Encodes what starts the text; returns the number of characters used.
    std::size_t EncodeAt(std::wstring_view text) {
        const wchar_t c = text[0];
        if (c == L'\r' || c == L'\n') {
            out_.push_back(kApr);
            return c == L'\r' && text.size() > 1 && text[1] == L'\n' ? 2 : 1;
        }
        if (const std::size_t n = EncodeMark(text)) return n;
        if (c == L' ' || c == L'\x3000') {
            SetSize(c == L' ' ? kMsz : kNsz);
            out_.push_back(kSpace);
        } else if (c > 0x20 && c < 0x7F) {
            SetGl(kLs1);
            SetSize(kMsz);
            out_.push_back(static_cast<std::uint8_t>(c));
        } else if (c >= L'ぁ' && c <= L'ん') {
            SetGr(kLs2r);
            out_.push_back(static_cast<std::uint8_t>(0xA1 + (c - L'ぁ')));
        } else if (c >= L'ァ' && c <= L'ヶ') {
            SetGr(kLs3r);
            out_.push_back(static_cast<std::uint8_t>(0xA1 + (c - L'ァ')));
        } else {
            EncodeTwoByte(c);
        }
        return 1;
    }

    // A bracketed mark of the symbol table at the start of the text, as one symbol.
    std::size_t EncodeMark(std::wstring_view text) {
        if (text[0] != L'[') return 0;
        const std::size_t close = text.find(L']');
        if (close == std::wstring_view::npos || close > 5) return 0;
        const auto found = SymbolCodes().find(std::wstring(text.substr(0, close + 1)));
        if (found == SymbolCodes().end()) return 0;
        PutKanjiCode(found->second);
        return close + 1;
    }

    // JIS X 0208 first; then a symbol of the table; then the rest of row 13; else "・".
    void EncodeTwoByte(wchar_t c) {
        const auto jis = JisCodeOf(c);
        if (jis && (*jis >> 8) != kNecSpecialRow) return PutKanjiCode(*jis);
        const auto symbol = SymbolCodes().find(std::wstring(1, c));
        if (symbol != SymbolCodes().end()) return PutKanjiCode(symbol->second);
        PutKanjiCode(jis ? *jis : kJisMiddleDot);
    }

    void PutKanjiCode(std::uint16_t code) {
        SetGl(kLs0);
        out_.push_back(static_cast<std::uint8_t>(code >> 8));
        out_.push_back(static_cast<std::uint8_t>(code & 0xFF));
    }

    void SetGl(std::uint8_t shift) {
        if (gl_ == shift) return;
        gl_ = shift;
        out_.push_back(shift);
    }
    void SetGr(std::uint8_t shift) {
        if (gr_ == shift) return;
        gr_ = shift;
        out_.push_back(kEsc);
        out_.push_back(shift);
    }
    void SetSize(std::uint8_t size) {
        if (size_ == size) return;
        size_ = size;
        out_.push_back(size);
    }

    // The decoder's state at the start of every string.
    std::uint8_t gl_ = kLs0;
    std::uint8_t gr_ = kLs2r;
    std::uint8_t size_ = kNsz;
    std::vector<std::uint8_t> out_;
};

}  // namespace

std::vector<std::uint8_t> EncodeAribText(std::wstring_view text) {
    return Encoder().Run(text);
}

}  // namespace broadcast_sim
