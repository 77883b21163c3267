#include "platform/known_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/last_error.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::string HomeNative() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "/";
}

std::string ConfigNative() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/') return xdg;
    return HomeNative() + "/.config";
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs ("$HOME/..." or an absolute path, quoted);
// empty when the file or the line is missing or the value is neither.
std::string DocumentsFromUserDirs() {
    std::ifstream in(ConfigNative() + "/user-dirs.dirs");
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.starts_with(kKey)) continue;
        std::string value = line.substr(kKey.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.starts_with("$HOME")) return HomeNative() + value.substr(5);
        return value.starts_with("/") ? value : std::string();
    }
    return {};
}

}  // namespace

std::wstring GetConfigFolder() {
    return FromNativePath(ConfigNative());
}

std::wstring GetDocumentsFolder() {
    std::string folder = DocumentsFromUserDirs();
    if (folder.empty()) folder = HomeNative() + "/Documents";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return FromNativePath(folder);
}

std::wstring HostExecutablePath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::wstring() : FromNativePath(path.native());
}

DWORD GetModuleFileNameW(HMODULE /*module*/, wchar_t* buffer, DWORD size) {
    const std::wstring path = HostExecutablePath();
    if (path.empty() || buffer == nullptr || size == 0) {
        SetLastError(path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        path.copy(buffer, size - 1);
        buffer[size - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    path.copy(buffer, path.size());
    buffer[path.size()] = L'\0';
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

}  // namespace platform
