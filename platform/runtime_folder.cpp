#include "platform/runtime_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <system_error>

#include "platform/debug_output.h"
#include "platform/owned_fd.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace platform {
namespace {

// The top folder may lie in a folder every user can write to (/tmp); the levels below it are
// reached only through a top folder that passed the checks.
enum class Level { kTop, kBelow };

// Tells once per folder and reason why a folder is refused: a refusal stays until the user
// removes the folder, and every later call would repeat it.
void ReportRefusal(const std::filesystem::path& path, const std::string& reason) {
    static auto* const mutex = new std::mutex;
    static auto* const told = new std::set<std::string>;
    {
        const std::lock_guard lock(*mutex);
        if (!told->insert(path.string() + '\n' + reason).second) return;
    }
    OutputDebugStringW(L"orvandel: the runtime folder " + FromNativePath(path.native()) +
                       L" is refused: " + Utf8ToWide(reason) +
                       L"; named objects, messages and windows are not available");
}

// Creates the folder with mode 0700, or checks the one that is there; false (after a debug line)
// when it cannot be trusted.
bool EnsurePrivateFolder(const std::filesystem::path& path, Level level) {
    const bool created = ::mkdir(path.c_str(), 0700) == 0;
    if (!created && errno != EEXIST) {
        ReportRefusal(path, std::string("it cannot be created (") + std::strerror(errno) + ")");
        return false;
    }
    // The umask may have narrowed a folder just made. Nobody else can replace it meanwhile: in a
    // sticky folder such as /tmp only its owner may rename or remove it.
    if (created) ::chmod(path.c_str(), 0700);
    // O_PATH with O_NOFOLLOW opens a symbolic link itself, so that it can be told apart.
    const OwnedFd fd(::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0) {
        ReportRefusal(path, std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        ReportRefusal(path, S_ISLNK(st.st_mode) ? "it is a symbolic link" : "it is not a folder");
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        ReportRefusal(path, "it belongs to user " + std::to_string(st.st_uid));
        return false;
    }
    const mode_t mode = st.st_mode & 07777;
    if (mode == 0700) return true;
    if (level == Level::kTop && !created) {
        char text[64];
        std::snprintf(text, sizeof text, "its mode is %04o, not 0700", static_cast<unsigned>(mode));
        ReportRefusal(path, text);
        return false;
    }
    if (::chmod(path.c_str(), 0700) != 0) {
        ReportRefusal(path, std::string("its mode cannot be set (") + std::strerror(errno) + ")");
        return false;
    }
    return true;
}

std::filesystem::path TopFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (xdg != nullptr && *xdg == '/') {
        // The session's own folder; made here when it is missing, as it always was.
        if (!std::filesystem::exists(xdg, ec)) {
            std::filesystem::create_directories(xdg, ec);
            ::chmod(xdg, 0700);
        }
        return std::filesystem::path(xdg) / "orvandel";
    }
    std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec || temp.empty()) temp = "/tmp";
    return temp / ("orvandel-" + std::to_string(::getuid()));
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
    const std::filesystem::path base = TopFolder();
    if (!EnsurePrivateFolder(base, Level::kTop)) return {};
    const std::string ns = CurrentNamespace();
    if (ns.empty()) return base;
    const auto folder = base / ns;
    if (!EnsurePrivateFolder(folder, Level::kBelow)) return {};
    return folder;
}

std::filesystem::path RuntimeSubfolder(std::string_view kind) {
    const std::filesystem::path base = RuntimeFolder();
    if (base.empty()) return {};
    const auto folder = base / kind;
    if (!EnsurePrivateFolder(folder, Level::kBelow)) return {};
    return folder;
}

bool FirstUseInProcess(const std::filesystem::path& folder) {
    static auto* const mutex = new std::mutex;
    static auto* const used = new std::set<std::string>;
    const std::lock_guard lock(*mutex);
    return used->insert(folder.string()).second;
}

int OpenPrivateFile(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 && (flags & O_CREAT) != 0 && ::fchmod(fd, 0600) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace platform
