// The additional symbols of the ARIB 8-unit code (rows 90 and 92-94, two-byte codes
// 0x7A4D-0x7E7D) that the decoder renders as short texts. The table is built once, on first use,
// and is read-only afterwards, so any thread may read it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace broadcast {

struct AribAdditionalSymbolEntry {
    std::uint16_t code = 0;  // JIS row/cell code
    std::string text;        // Shift-JIS
};

inline constexpr std::size_t kAdditionalSymbolCount = 289;

// The 289 entries, sorted by code.
const std::array<AribAdditionalSymbolEntry, kAdditionalSymbolCount>& AdditionalSymbolTable();

// Index of the entry of a code, or -1 when the table has none.
int AdditionalSymbolIndex(std::uint16_t code);

}  // namespace broadcast
