// Code page 932 (Shift-JIS with the NEC and IBM extensions, as Windows has it) <-> wide text.
//
// The mapping comes from iconv's "CP932" (glibc), read once into tables on first use, so the
// conversions below are table lookups and safe to call from any thread.
//
// Replacement rules follow Windows for code page 932:
// - Decoding: a byte that is neither a character nor a lead byte, a lead byte whose next byte is
//   not a trail byte (or that ends the input), and an unassigned lead/trail pair each become
//   U+30FB ("・"). An unassigned pair consumes both bytes; a lead byte without a trail byte
//   consumes only itself, and the next byte is decoded on its own. The single bytes Windows maps
//   outside the standard (0x80 -> U+0080, 0xA0 -> U+F8F0, 0xFD..0xFF -> U+F8F1..U+F8F3) decode
//   as Windows decodes them.
// - Encoding: a character without a code page 932 form (including characters beyond U+FFFF and
//   lone surrogates) becomes the default character, "?" unless the caller gives another.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

inline constexpr UINT CP_ACP = 0;  // the ANSI code page of a Japanese Windows: 932
inline constexpr UINT kCodePage932 = 932;

// Windows' MultiByteToWideChar for code page 932 (or CP_ACP). A length of -1 converts up to and
// including the terminating zero. With wideLen 0 it returns the number of wide characters needed;
// otherwise it writes them and returns their number, or 0 when the buffer is too small. Other
// code pages, a null input, an input length of 0 or below -1 and a negative wideLen return 0.
// The flags are accepted and ignored (every caller passes 0).
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* multiByte, int multiByteLen,
                        wchar_t* wide, int wideLen);

// Windows' WideCharToMultiByte for code page 932 (or CP_ACP), with the same length rules as
// above in the other direction. defaultChar (one character of code page 932, null for "?")
// replaces unmappable characters; *usedDefaultChar, when given, tells whether that happened.
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int wideLen,
                        char* multiByte, int multiByteLen, const char* defaultChar,
                        BOOL* usedDefaultChar);

// Convenience forms for whole strings (embedded zero bytes are converted like any other).
std::wstring ShiftJisToWide(std::string_view shiftJis);
std::string WideToShiftJis(std::wstring_view wide);

}  // namespace platform
