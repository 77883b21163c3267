#include "platform/file_name_length.h"

#include <unistd.h>

#include "platform/paths.h"
#include "platform/utf8.h"

namespace platform {
namespace {

constexpr std::size_t kUsualMaxFileNameBytes = 255;

std::size_t NativeBytes(std::wstring_view text) {
    return WideToUtf8(text).size();
}

// The longest start of `text` whose native form takes at most `room` bytes.
std::wstring_view LongestStart(std::wstring_view text, std::size_t room) {
    std::size_t used = 0;
    std::size_t chars = 0;
    for (; chars < text.size(); ++chars) {
        const std::size_t bytes = NativeBytes(text.substr(chars, 1));
        if (used + bytes > room) break;
        used += bytes;
    }
    return text.substr(0, chars);
}

}  // namespace

std::size_t MaxFileNameBytes(std::wstring_view path) {
    const std::string folder = ToNativePath(FolderOf(path));
    const long max = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : kUsualMaxFileNameBytes;
}

std::wstring FitFileName(std::wstring_view path, std::size_t spareBytes) {
    const std::size_t max = MaxFileNameBytes(path);
    const std::size_t room = max > spareBytes ? max - spareBytes : 1;
    const PathParts parts = SplitPath(path);
    const std::wstring name = parts.fname + parts.ext;
    if (NativeBytes(name) <= room) return std::wstring(path);
    const std::size_t extBytes = NativeBytes(parts.ext);
    std::wstring fitted;
    if (!parts.fname.empty() && extBytes < room) {
        fitted = std::wstring(LongestStart(parts.fname, room - extBytes)) + parts.ext;
    } else {
        fitted = std::wstring(LongestStart(name, room));
    }
    return parts.drive + parts.dir + fitted;
}

}  // namespace platform
