// The three one-byte character sets of the ARIB 8-unit code (alphanumeric, Hiragana, Katakana)
// as Shift-JIS codes. Built once, on first use, and read-only afterwards.
#pragma once

#include <array>
#include <cstdint>

namespace broadcast {

// One Shift-JIS code (lead << 8 | trail) per 7-bit code; entries 0x20 and 0x7F are 0.
using AribCharacterTable = std::array<std::uint16_t, 96>;

const AribCharacterTable& AlphanumericTable();  // full-width JIS X 0208 forms
const AribCharacterTable& HiraganaTable();
const AribCharacterTable& KatakanaTable();

}  // namespace broadcast
