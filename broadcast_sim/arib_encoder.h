// Wide text to ARIB 8-unit code, the inverse of broadcast::AribToWString, for synthetic
// broadcasts and tests.
//
// Half-width ASCII goes through the alphanumeric set in medium size, Hiragana and Katakana
// through their one-byte sets in GR, other JIS X 0208 text through the Kanji set, and the
// characters and bracketed marks ("[字]", "①", "㍻", ...) of the additional-symbol table through
// their symbol codes. "\r\n", "\n" and "\r" become APR. A character none of these sets holds
// becomes "・".
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace broadcast_sim {

std::vector<std::uint8_t> EncodeAribText(std::wstring_view text);

}  // namespace broadcast_sim
