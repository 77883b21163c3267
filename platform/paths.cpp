#include "platform/paths.h"

#include "platform/utf8.h"

namespace platform {

PathParts SplitPath(std::wstring_view path) {
    PathParts parts;
    const std::size_t slash = path.rfind(kPathSeparator);
    const std::size_t nameStart = slash == std::wstring_view::npos ? 0 : slash + 1;
    parts.dir = std::wstring(path.substr(0, nameStart));
    const std::wstring_view name = path.substr(nameStart);
    const std::size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos) {
        parts.fname = std::wstring(name);
    } else {
        parts.fname = std::wstring(name.substr(0, dot));
        parts.ext = std::wstring(name.substr(dot));
    }
    return parts;
}

std::wstring FolderOf(std::wstring_view path) {
    const PathParts parts = SplitPath(path);
    return parts.drive + parts.dir;
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring out(folder);
    if (!out.empty() && out.back() != kPathSeparator && !name.empty())
        out.push_back(kPathSeparator);
    out.append(name);
    return out;
}

std::string ToNativePath(std::wstring_view path) {
    return WideToUtf8(path);
}

std::wstring FromNativePath(std::string_view path) {
    return Utf8ToWide(path);
}

}  // namespace platform
