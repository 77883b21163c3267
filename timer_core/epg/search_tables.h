// Constant tables of the EPG keyword search and its dialogs: the genre names by
// content_nibble_level_1, and the full-width digits and capital letters that half-width digits
// and letters fold to.
#pragma once

#include <array>
#include <string_view>

namespace timer_core {

inline constexpr std::array<std::wstring_view, 12> GenreNameTable = {
    L"ニュース・報道", L"スポーツ",     L"情報・ワイドショー",
    L"ドラマ",         L"音楽",         L"バラエティ",
    L"映画",           L"アニメ・漫画", L"ドキュメンタリー・教養",
    L"劇場・公演",     L"趣味・教育",   L"福祉"};

// Entry n is U+FF10 + n.
inline constexpr std::array<std::wstring_view, 10> FullWidthDigitTable = {
    L"０", L"１", L"２", L"３", L"４", L"５", L"６", L"７", L"８", L"９"};

// Entry n is U+FF21 + n.
inline constexpr std::array<std::wstring_view, 26> FullWidthLetterTable = {
    L"Ａ", L"Ｂ", L"Ｃ", L"Ｄ", L"Ｅ", L"Ｆ", L"Ｇ", L"Ｈ", L"Ｉ", L"Ｊ", L"Ｋ", L"Ｌ", L"Ｍ",
    L"Ｎ", L"Ｏ", L"Ｐ", L"Ｑ", L"Ｒ", L"Ｓ", L"Ｔ", L"Ｕ", L"Ｖ", L"Ｗ", L"Ｘ", L"Ｙ", L"Ｚ"};

}  // namespace timer_core
