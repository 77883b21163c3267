// UTF-16LE bytes <-> wide text, for files and shared layouts that Windows writes as UTF-16LE.
// Surrogate pairs become one wide character; a lone surrogate or an odd last byte becomes
// U+FFFD, nothing is dropped silently.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring Utf16LeToWide(std::string_view bytes);
std::string WideToUtf16Le(std::wstring_view wide);

}  // namespace platform
