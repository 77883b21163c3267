#include "platform/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace platform {
namespace {

// Keeps only characters that are safe in a file name, so a namespace can never leave the folder.
std::string SanitizedNamespace(const char* raw) {
    std::string out;
    for (const char* p = raw; *p != '\0'; ++p) {
        const char c = *p;
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        out.push_back(safe ? c : '_');
    }
    if (out == "." || out == "..") out = "_";
    return out;
}

void MakePrivateFolder(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    ::chmod(path.c_str(), 0700);
}

}  // namespace

std::string CurrentNamespace() {
    const char* ns = std::getenv("ORVANDEL_NAMESPACE");
    return ns == nullptr ? std::string() : SanitizedNamespace(ns);
}

std::filesystem::path RuntimeFolder() {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && *xdg == '/') {
        base = std::filesystem::path(xdg) / "orvandel";
    } else {
        base = "/tmp/orvandel-" + std::to_string(::getuid());
    }
    MakePrivateFolder(base);
    const std::string ns = CurrentNamespace();
    if (ns.empty()) return base;
    const auto folder = base / ns;
    MakePrivateFolder(folder);
    return folder;
}

}  // namespace platform
