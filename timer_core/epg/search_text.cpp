#include "timer_core/epg/search_text.h"

#include <array>

#include "timer_core/epg/search_tables.h"

namespace timer_core {
namespace {

constexpr std::array<wchar_t, 0x80> MakeAsciiFolding() {
    std::array<wchar_t, 0x80> table{};
    for (wchar_t c = 0; c < 0x80; ++c)
        table[c] = c;
    for (int d = 0; d < 10; ++d)
        table[L'0' + d] = FullWidthDigitTable[d][0];
    for (int n = 0; n < 26; ++n) {
        table[L'a' + n] = FullWidthLetterTable[n][0];
        table[L'A' + n] = FullWidthLetterTable[n][0];
    }
    table[L'!'] = L'！';
    table[L'?'] = L'？';
    table[L'.'] = L'．';
    table[L'+'] = L'＋';
    table[L'-'] = L'－';
    table[L'*'] = L'＊';
    table[L'/'] = L'／';
    return table;
}

constexpr std::array<wchar_t, 0x80> kAsciiFolding = MakeAsciiFolding();

constexpr wchar_t kFullWidthSmallA = L'ａ';
constexpr wchar_t kFullWidthSmallZ = L'ｚ';

// In line: every programme text passes through it character by character.
inline wchar_t Fold(wchar_t c) {
    if (c >= 0 && c < 0x80) return kAsciiFolding[static_cast<std::size_t>(c)];
    if (c >= kFullWidthSmallA && c <= kFullWidthSmallZ) {
        return FullWidthLetterTable[static_cast<std::size_t>(c - kFullWidthSmallA)][0];
    }
    if (c == L'―') return L'ー';
    return c;
}

bool IsWordBreak(wchar_t c) {
    return c == L' ' || c == L'\u3000';
}

}  // namespace

wchar_t FoldSearchChar(wchar_t c) {
    return Fold(c);
}

void AppendFoldedText(std::wstring_view text, std::wstring* out) {
    const std::size_t start = out->size();
    out->resize(start + text.size());
    wchar_t* folded = out->data() + start;
    for (std::size_t i = 0; i < text.size(); ++i)
        folded[i] = Fold(text[i]);
}

int NormaliseSearchText(std::wstring_view text, std::wstring* out) {
    out->clear();
    if (text.empty()) return 0;
    AppendFoldedText(text, out);
    return 1;
}

std::vector<std::wstring> SplitSearchWords(std::wstring_view words) {
    std::vector<std::wstring> list;
    std::wstring current;
    for (wchar_t c : words) {
        if (!IsWordBreak(c)) {
            current += Fold(c);
        } else if (!current.empty()) {
            list.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) list.push_back(std::move(current));
    return list;
}

}  // namespace timer_core
