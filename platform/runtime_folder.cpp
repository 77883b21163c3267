#include "platform/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace platform {
namespace {

void MakePrivateFolder(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    ::chmod(path.c_str(), 0700);
}

}  // namespace

// Keeps only characters that are safe in a file name, so a namespace can never leave the folder.
std::string NamespaceFromValue(std::string_view value) {
    std::string out;
    for (const char c : value) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        out.push_back(safe ? c : '_');
    }
    if (out == "." || out == "..") out = "_";
    return out;
}

std::string CurrentNamespace() {
    const char* ns = std::getenv("ORVANDEL_NAMESPACE");
    return ns == nullptr ? std::string() : NamespaceFromValue(ns);
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
