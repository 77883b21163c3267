// Comparison of names without regard to case, as Windows compares file, ini, registry and image
// names: simple upper-casing of Latin (ASCII, Latin-1, Latin Extended-A), Greek, Cyrillic,
// Roman-numeral, circled and full-width letters; every other character compares as it is.
// Independent of the process locale.
#pragma once

#include <string>
#include <string_view>

namespace platform {

wchar_t ToUpperNoCase(wchar_t c);
std::wstring ToUpperNoCase(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);

}  // namespace platform
