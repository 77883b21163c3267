// Line splitting and leading-number reading for the small text files the plug-in and the timer
// exchange or read (channel tables, the viewer's channel lists).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shared {

// Splits at CR LF. A bare LF also ends a line (files edited by hand on other systems), a bare
// CR stays in its line. The text after the last line end is the last line, even when empty.
std::vector<std::string_view> SplitLines(std::string_view text);
std::vector<std::wstring_view> SplitLines(std::wstring_view text);

// The decimal integer at the start of the text as the C runtime's atoi reads it: leading blanks
// skipped, an optional sign, digits up to the first other character; 0 without digits; values
// beyond the int range saturate at its ends.
int LeadingDecimal(std::string_view text);
int LeadingDecimal(std::wstring_view text);

// The hexadecimal number at the start of the text (leading blanks, an optional "0x", hex digits);
// 0 without digits; saturates at 0xFFFFFFFF.
std::uint32_t LeadingHex(std::wstring_view text);

}  // namespace shared
