// Wildcard file search with Windows matching: "*" any run of characters (dots included), "?"
// exactly one character, letters without regard to case; "*.*" matches every name, as on
// Windows. Linux has no 8.3 short names, so only the real names are matched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_time.h"
#include "platform/win_types.h"

namespace platform {

struct FindData {
    std::wstring fileName;  // name without folder
    DWORD attributes = 0;   // FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL
    std::uint64_t size = 0;
    FILETIME lastWriteTime;

    bool IsDirectory() const;
};

bool MatchesWildcard(std::wstring_view name, std::wstring_view pattern);

// What FindFirstFileW / FindNextFileW give for "<folder>/<pattern>": every entry of the folder
// whose name matches, in the order the file system lists them ("." and ".." too when they
// match). Empty when nothing matches or the folder cannot be read.
std::vector<FindData> FindFiles(std::wstring_view folderAndPattern);

}  // namespace platform
