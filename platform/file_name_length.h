// The file system's limit on the length of one file name, and names shortened to keep it.
// Linux counts the bytes of the native (UTF-8) form: 255 on the usual file systems, so 86 kanji
// already pass it where Windows would take 255 characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The longest file name, in native bytes, that the folder of `path` takes (255 when the folder
// cannot tell, e.g. because it does not exist yet).
std::size_t MaxFileNameBytes(std::wstring_view path);

// `path` unchanged when its file name, `spareBytes` longer (for a name made from it, like
// "<name>.err"), fits the folder's limit. Otherwise the file name is cut at a character boundary
// to the longest that fits, taken off the end of its base name so that the extension stays;
// an extension too long to leave room for the base is cut with the rest of the name.
std::wstring FitFileName(std::wstring_view path, std::size_t spareBytes = 0);

}  // namespace platform
