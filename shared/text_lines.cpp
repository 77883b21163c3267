#include "shared/text_lines.h"

#include <limits>

namespace shared {
namespace {

template <class Char>
std::vector<std::basic_string_view<Char>> SplitAt(std::basic_string_view<Char> text) {
    std::vector<std::basic_string_view<Char>> lines;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t lf = text.find(Char('\n'), begin);
        if (lf == std::basic_string_view<Char>::npos) {
            lines.push_back(text.substr(begin));
            return lines;
        }
        std::size_t end = lf;
        if (end > begin && text[end - 1] == Char('\r')) --end;
        lines.push_back(text.substr(begin, end - begin));
        begin = lf + 1;
    }
}

template <class Char>
bool IsBlank(Char c) {
    return c == Char(' ') || (c >= Char('\t') && c <= Char('\r'));
}

template <class Char>
std::size_t SkipBlanks(std::basic_string_view<Char> text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

// The number as the runtime's atoi reads it, its magnitude held at kDecimalLimit, which lies
// beyond every range the callers ask for.
constexpr long long kDecimalLimit = 1LL << 62;

template <class Char>
long long Decimal64At(std::basic_string_view<Char> text) {
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == Char('-') || text[i] == Char('+'))) {
        negative = text[i] == Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= Char('0') && text[i] <= Char('9'); ++i) {
        // Saturate before the multiply: a long run of digits must not overflow.
        if (value >= kDecimalLimit / 10) {
            value = kDecimalLimit;
            continue;
        }
        value = value * 10 + (text[i] - Char('0'));
    }
    return negative ? -value : value;
}

template <class Char>
int DecimalAt(std::basic_string_view<Char> text) {
    constexpr long long kMin = std::numeric_limits<int>::min();
    constexpr long long kMax = std::numeric_limits<int>::max();
    const long long value = Decimal64At(text);
    return static_cast<int>(value < kMin ? kMin : value > kMax ? kMax : value);
}

template <class Char>
bool DecimalInAt(std::basic_string_view<Char> text, std::int64_t min, std::int64_t max,
                 std::int64_t* value) {
    const long long read = Decimal64At(text);
    if (read < min || read > max) return false;
    *value = read;
    return true;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    return SplitAt(text);
}

std::vector<std::wstring_view> SplitLines(std::wstring_view text) {
    return SplitAt(text);
}

int LeadingDecimal(std::string_view text) {
    return DecimalAt(text);
}

int LeadingDecimal(std::wstring_view text) {
    return DecimalAt(text);
}

bool LeadingDecimalIn(std::string_view text, std::int64_t min, std::int64_t max,
                      std::int64_t* value) {
    return DecimalInAt(text, min, max, value);
}

bool LeadingDecimalIn(std::wstring_view text, std::int64_t min, std::int64_t max,
                      std::int64_t* value) {
    return DecimalInAt(text, min, max, value);
}

std::uint32_t LeadingHex(std::wstring_view text) {
    std::size_t i = SkipBlanks(text);
    const bool prefixed = i + 2 < text.size() && text[i] == L'0' &&
                          (text[i + 1] == L'x' || text[i + 1] == L'X') &&
                          HexDigit(text[i + 2]) >= 0;
    if (prefixed) i += 2;
    std::uint64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<std::uint64_t>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace shared
