// The folding that makes the keyword search blind to the case of Latin letters and to the width
// of digits, Latin letters and seven signs. Keywords and programme texts are folded alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace timer_core {

// Half-width digits and letters and full-width small letters become full-width digits and
// capitals; "―" becomes "ー"; ! ? . + - * / become their full-width forms. Every other
// character stays as it is (half-width katakana included).
wchar_t FoldSearchChar(wchar_t c);

// Appends the folded text.
void AppendFoldedText(std::wstring_view text, std::wstring* out);

// 0 and an empty output for empty text; else 1 with the folded text.
int NormaliseSearchText(std::wstring_view text, std::wstring* out);

// The folded words of a keyword string: half-width and ideographic spaces separate them; no
// word is empty.
std::vector<std::wstring> SplitSearchWords(std::wstring_view words);

}  // namespace timer_core
