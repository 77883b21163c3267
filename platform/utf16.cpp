#include "platform/utf16.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

char16_t UnitAt(std::string_view bytes, std::size_t unit) {
    const auto lo = static_cast<std::uint8_t>(bytes[2 * unit]);
    const auto hi = static_cast<std::uint8_t>(bytes[2 * unit + 1]);
    return static_cast<char16_t>(lo | (hi << 8));
}

bool IsHigh(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

void AppendUnit(std::string& out, char32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

}  // namespace

std::wstring Utf16LeToWide(std::string_view bytes) {
    const std::size_t units = bytes.size() / 2;
    std::wstring out;
    out.reserve(units + 1);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = UnitAt(bytes, i);
        if (IsHigh(u) && i + 1 < units && IsLow(UnitAt(bytes, i + 1))) {
            const char32_t low = UnitAt(bytes, ++i);
            out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
        } else {
            out.push_back(static_cast<wchar_t>(IsHigh(u) || IsLow(u) ? kReplacement : u));
        }
    }
    if (bytes.size() % 2 != 0) out.push_back(static_cast<wchar_t>(kReplacement));
    return out;
}

std::string WideToUtf16Le(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() * 2);
    for (const wchar_t w : wide) {
        auto c = static_cast<char32_t>(w);
        if (c > 0x10FFFF || IsHigh(c) || IsLow(c)) c = kReplacement;
        if (c >= 0x10000) {
            AppendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendUnit(out, c);
        }
    }
    return out;
}

}  // namespace platform
