#include "broadcast/arib_character_tables.h"

#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace broadcast {
namespace {

// Fills entries 0x21-0x7E from 94 wide characters.
AribCharacterTable MakeTable(std::wstring_view chars) {
    AribCharacterTable table{};
    for (std::size_t i = 0; i < chars.size() && i < 94; ++i) {
        const std::string sjis = platform::WideToShiftJis(chars.substr(i, 1));
        std::uint16_t code = static_cast<std::uint8_t>(sjis[0]);
        if (sjis.size() == 2)
            code = static_cast<std::uint16_t>((code << 8) | static_cast<std::uint8_t>(sjis[1]));
        table[i + 1] = code;
    }
    return table;
}

std::wstring Run(wchar_t first, wchar_t last) {
    std::wstring run;
    for (wchar_t c = first; c <= last; ++c)
        run.push_back(c);
    return run;
}

std::wstring AlphanumericChars() {
    // Full-width forms; where JIS X 0208 lacks the full-width form, the customary choice.
    std::wstring chars = Run(0xFF01, 0xFF5E);
    chars[0x22 - 0x21] = L'”';
    chars[0x27 - 0x21] = L'’';
    chars[0x5C - 0x21] = L'￥';
    chars[0x60 - 0x21] = L'‘';
    chars[0x7E - 0x21] = L'￣';
    return chars;
}

}  // namespace

const AribCharacterTable& AlphanumericTable() {
    static const AribCharacterTable table = MakeTable(AlphanumericChars());
    return table;
}

const AribCharacterTable& HiraganaTable() {
    static const AribCharacterTable table =
        MakeTable(Run(L'ぁ', L'ん') + L"・・・ゝゞー。「」、・");
    return table;
}

const AribCharacterTable& KatakanaTable() {
    static const AribCharacterTable table = MakeTable(Run(L'ァ', L'ヶ') + L"ヽヾー。「」、・");
    return table;
}

}  // namespace broadcast
