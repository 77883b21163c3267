#include "platform/text_case.h"

namespace platform {
namespace {

bool InRange(wchar_t c, wchar_t first, wchar_t last) {
    return c >= first && c <= last;
}

// Latin Extended-A pairs: the capital stands first (even code) in the two outer blocks and
// second half of the pair (odd code) in the two inner ones.
wchar_t UpperLatinExtendedA(wchar_t c) {
    const bool evenCapital = InRange(c, 0x0100, 0x0137) || InRange(c, 0x014A, 0x0177);
    if (evenCapital) return (c % 2 == 1) ? c - 1 : c;
    const bool oddCapital = InRange(c, 0x0139, 0x0148) || InRange(c, 0x0179, 0x017E);
    if (oddCapital) return (c % 2 == 0) ? c - 1 : c;
    return c;
}

}  // namespace

wchar_t ToUpperNoCase(wchar_t c) {
    if (c < 0x80) return InRange(c, L'a', L'z') ? c - 0x20 : c;
    if (InRange(c, 0x00E0, 0x00FE) && c != 0x00F7) return c - 0x20;
    if (c == 0x00FF) return 0x0178;
    if (InRange(c, 0x0100, 0x017F)) return UpperLatinExtendedA(c);
    if (c == 0x03C2) return 0x03A3;
    if (InRange(c, 0x03B1, 0x03CB)) return c - 0x20;
    if (InRange(c, 0x0430, 0x044F)) return c - 0x20;
    if (InRange(c, 0x0450, 0x045F)) return c - 0x50;
    if (InRange(c, 0x2170, 0x217F)) return c - 0x10;
    if (InRange(c, 0x24D0, 0x24E9)) return c - 26;
    if (InRange(c, 0xFF41, 0xFF5A)) return c - 0x20;
    return c;
}

std::wstring ToUpperNoCase(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = ToUpperNoCase(c);
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpperNoCase(a[i]) != ToUpperNoCase(b[i])) return false;
    }
    return true;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace platform
