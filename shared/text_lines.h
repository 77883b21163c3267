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

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Calls visit(line) for every line of a file that a user may have edited anywhere: a UTF-8
// byte-order mark before the first line is no part of it, and CR LF, a bare LF and a bare CR
// each end a line (neither byte is ever part of a Shift-JIS character). The text after the last
// line end is the last line, even when empty. No list of the lines is built, so a file of many
// short lines costs no more memory than its text.
template <class Visit>
void ForEachEditedLine(std::string_view text, Visit&& visit) {
    if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
    for (;;) {
        const std::size_t end = text.find_first_of("\r\n");
        if (end == text.npos) {
            visit(text);
            return;
        }
        visit(text.substr(0, end));
        text.remove_prefix(text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
    }
}

// The decimal integer at the start of the text as the C runtime's atoi reads it: leading blanks
// skipped, an optional sign, digits up to the first other character; 0 without digits; values
// beyond the int range saturate at its ends.
int LeadingDecimal(std::string_view text);
int LeadingDecimal(std::wstring_view text);

// The same number, but only when it lies within [min, max] (a number the field cannot hold is
// refused rather than cut or wrapped into it); false otherwise.
bool LeadingDecimalIn(std::string_view text, std::int64_t min, std::int64_t max,
                      std::int64_t* value);
bool LeadingDecimalIn(std::wstring_view text, std::int64_t min, std::int64_t max,
                      std::int64_t* value);

// The hexadecimal number at the start of the text (leading blanks, an optional "0x", hex digits);
// 0 without digits; saturates at 0xFFFFFFFF.
std::uint32_t LeadingHex(std::wstring_view text);

}  // namespace shared
