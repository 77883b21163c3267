#include "platform/file_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "platform/file_handle.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/text_case.h"

namespace platform {
namespace {

bool SameLetter(wchar_t a, wchar_t b) {
    return ToUpperNoCase(a) == ToUpperNoCase(b);
}

FindData DataOf(const std::string& folder, const char* name) {
    FindData data;
    data.fileName = FromNativePath(name);
    struct stat st {};
    const bool known = ::stat((folder + "/" + name).c_str(), &st) == 0;
    data.attributes =
        known && S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (known) {
        data.size = static_cast<std::uint64_t>(st.st_size);
        data.lastWriteTime = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    }
    return data;
}

}  // namespace

bool FindData::IsDirectory() const {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MatchesWildcard(std::wstring_view name, std::wstring_view pattern) {
    if (pattern == L"*.*") pattern = L"*";
    // Greedy match with one backtrack point: the latest "*" and where its run would end.
    std::size_t n = 0, p = 0, starP = std::wstring_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || SameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

std::vector<FindData> FindFiles(std::wstring_view folderAndPattern) {
    const PathParts parts = SplitPath(folderAndPattern);
    const std::wstring pattern = parts.fname + parts.ext;
    const std::string named = ToNativePath(parts.drive + parts.dir);
    const std::string folder = named.empty() ? std::string(".") : named;
    std::vector<FindData> found;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return found;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (MatchesWildcard(FromNativePath(entry->d_name), pattern)) {
            found.push_back(DataOf(folder, entry->d_name));
        }
    }
    ::closedir(dir);
    SetLastError(found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
    return found;
}

}  // namespace platform
