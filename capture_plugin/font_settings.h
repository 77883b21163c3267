// The font and colour of the programme texts as the plug-in's ini file keeps them: LOGFONT fields
// as decimal numbers separated by commas (Font_1 height, width, escapement, orientation, weight;
// Font_2 italic, underline, strike-out, character set; Font_3 output precision, clip precision,
// quality, pitch and family; Font_4 the face name) and the colour as red, green, blue.
#pragma once

#include <string>
#include <string_view>

#include "ui/log_font.h"

namespace capture_plugin {

// Each fills its fields of the LOGFONT: fields are split at commas in order, a missing comma
// leaves the remaining fields 0, each is read as a decimal number (Font_2 and Font_3 as bytes).
// 1 done; 0 for an empty text or no output.
int ParseFont1(std::wstring_view text, ui::LOGFONTW* font);
int ParseFont2(std::wstring_view text, ui::LOGFONTW* font);
int ParseFont3(std::wstring_view text, ui::LOGFONTW* font);

// red | green << 8 | blue << 16, each field cut to 8 bits. The output is set to 0 first; 1 done,
// 0 for an empty text or no output.
int ParseColor(std::wstring_view text, ui::COLORREF* color);

// The ini texts written back: "%d,%d,%d,%d,%d", "%d,%d,%d,%d", "%d,%d,%d,%d" and "%d,%d,%d".
std::wstring FormatFont1(const ui::LOGFONTW& font);
std::wstring FormatFont2(const ui::LOGFONTW& font);
std::wstring FormatFont3(const ui::LOGFONTW& font);
std::wstring FormatColor(ui::COLORREF color);

}  // namespace capture_plugin
