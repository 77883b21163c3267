// Paths as the programs hold them: wide strings, '/' separated. Paths that Windows code writes
// as "%s\Orvandel\..." are built with JoinPath. File names reach the file system as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr wchar_t kPathSeparator = L'/';

// A path split as Windows' _wsplitpath splits it: drive (always empty here: Linux has none),
// folder with its trailing separator, base name, extension with its dot (from the last dot of
// the file name; a name that starts with its only dot is all extension).
struct PathParts {
    std::wstring drive;
    std::wstring dir;
    std::wstring fname;
    std::wstring ext;
};
PathParts SplitPath(std::wstring_view path);

// Drive and folder of a path, ending with the separator (empty for a bare name).
std::wstring FolderOf(std::wstring_view path);

// folder + separator + name; no doubled separator; an empty folder gives the name.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// The file system's form of a path (UTF-8) and back.
std::string ToNativePath(std::wstring_view path);
std::wstring FromNativePath(std::string_view path);

}  // namespace platform
