// UTF-8 <-> wide (UTF-32 wchar_t) conversion for the places where Linux wants UTF-8: file names,
// terminals, Qt. Invalid input becomes U+FFFD; nothing is dropped silently.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);

}  // namespace platform
