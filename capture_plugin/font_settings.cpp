#include "capture_plugin/font_settings.h"

#include <array>
#include <cstdint>
#include <cwchar>

#include "shared/text_lines.h"

namespace capture_plugin {

namespace {

template <std::size_t N>
std::array<std::int32_t, N> SplitFields(std::wstring_view text) {
    std::array<std::int32_t, N> fields{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t comma = text.find(L',');
        fields[i] = shared::LeadingDecimal(text.substr(0, comma));
        if (comma == std::wstring_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return fields;
}

ui::BYTE Byte(std::int32_t value) {
    return static_cast<ui::BYTE>(value);
}

template <class... Args>
std::wstring Format(const wchar_t* format, Args... args) {
    wchar_t text[96];
    std::swprintf(text, std::size(text), format, args...);
    return text;
}

}  // namespace

int ParseFont1(std::wstring_view text, ui::LOGFONTW* font) {
    if (text.empty() || font == nullptr) return 0;
    const auto f = SplitFields<5>(text);
    font->lfHeight = f[0];
    font->lfWidth = f[1];
    font->lfEscapement = f[2];
    font->lfOrientation = f[3];
    font->lfWeight = f[4];
    return 1;
}

int ParseFont2(std::wstring_view text, ui::LOGFONTW* font) {
    if (text.empty() || font == nullptr) return 0;
    const auto f = SplitFields<4>(text);
    font->lfItalic = Byte(f[0]);
    font->lfUnderline = Byte(f[1]);
    font->lfStrikeOut = Byte(f[2]);
    font->lfCharSet = Byte(f[3]);
    return 1;
}

int ParseFont3(std::wstring_view text, ui::LOGFONTW* font) {
    if (text.empty() || font == nullptr) return 0;
    const auto f = SplitFields<4>(text);
    font->lfOutPrecision = Byte(f[0]);
    font->lfClipPrecision = Byte(f[1]);
    font->lfQuality = Byte(f[2]);
    font->lfPitchAndFamily = Byte(f[3]);
    return 1;
}

int ParseColor(std::wstring_view text, ui::COLORREF* color) {
    if (color == nullptr) return 0;
    *color = 0;
    if (text.empty()) return 0;
    const auto f = SplitFields<3>(text);
    *color = ui::RGB(Byte(f[0]), Byte(f[1]), Byte(f[2]));
    return 1;
}

std::wstring FormatFont1(const ui::LOGFONTW& font) {
    return Format(L"%d,%d,%d,%d,%d", font.lfHeight, font.lfWidth, font.lfEscapement,
                  font.lfOrientation, font.lfWeight);
}

std::wstring FormatFont2(const ui::LOGFONTW& font) {
    return Format(L"%d,%d,%d,%d", font.lfItalic, font.lfUnderline, font.lfStrikeOut,
                  font.lfCharSet);
}

std::wstring FormatFont3(const ui::LOGFONTW& font) {
    return Format(L"%d,%d,%d,%d", font.lfOutPrecision, font.lfClipPrecision, font.lfQuality,
                  font.lfPitchAndFamily);
}

std::wstring FormatColor(ui::COLORREF color) {
    return Format(L"%d,%d,%d", ui::GetRValue(color), ui::GetGValue(color), ui::GetBValue(color));
}

}  // namespace capture_plugin
