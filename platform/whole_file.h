// Reads a file whole, by path (the counterpart of WriteFileAtomically for small text files).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// False (last error set) when the file cannot be opened or read.
bool ReadWholeFile(std::wstring_view path, std::string* out);

}  // namespace platform
