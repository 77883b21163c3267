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
#include <vector>

#include "platform/debug_output.h"
#include "platform/owned_fd.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace platform {
namespace {

// The top folder may lie in a folder every user can write to (/tmp); the levels below it are
// reached only through a top folder that passed the checks.
enum class Level { kTop, kBelow };

// A folder that cannot be trusted, and why.
struct Refusal {
    std::filesystem::path folder;
    std::string reason;
};

// Tells once per folder and reason why a folder is refused and what follows from it: a refusal
// stays until the user removes the folder, and every later call would repeat it.
void ReportRefusal(const Refusal& refusal, std::wstring_view consequence) {
    static auto* const mutex = new std::mutex;
    static auto* const told = new std::set<std::string>;
    {
        const std::lock_guard lock(*mutex);
        if (!told->insert(refusal.folder.string() + '\n' + refusal.reason).second) return;
    }
    OutputDebugStringW(L"orvandel: the runtime folder " + FromNativePath(refusal.folder.native()) +
                       L" is refused: " + Utf8ToWide(refusal.reason) + L"; " +
                       std::wstring(consequence));
}

constexpr std::wstring_view kNotAvailable =
    L"named objects, messages and windows are not available";

// Creates the folder with mode 0700, or checks the one that is there; the reason why it cannot be
// trusted, or empty when it can.
std::string Distrust(const std::filesystem::path& path, Level level) {
    const bool created = ::mkdir(path.c_str(), 0700) == 0;
    if (!created && errno != EEXIST) {
        return std::string("it cannot be created (") + std::strerror(errno) + ")";
    }
    // The umask may have narrowed a folder just made. Nobody else can replace it meanwhile: in a
    // sticky folder such as /tmp only its owner may rename or remove it.
    if (created) ::chmod(path.c_str(), 0700);
    // O_PATH with O_NOFOLLOW opens a symbolic link itself, so that it can be told apart.
    const OwnedFd fd(::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0) return std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) {
        return S_ISLNK(st.st_mode) ? "it is a symbolic link" : "it is not a folder";
    }
    if (st.st_uid != ::geteuid()) return "it belongs to user " + std::to_string(st.st_uid);
    const mode_t mode = st.st_mode & 07777;
    if (mode == 0700) return {};
    if (level == Level::kTop && !created) {
        char text[64];
        std::snprintf(text, sizeof text, "its mode is %04o, not 0700", static_cast<unsigned>(mode));
        return text;
    }
    if (::chmod(path.c_str(), 0700) != 0) {
        return std::string("its mode cannot be set (") + std::strerror(errno) + ")";
    }
    return {};
}

// A level below a trusted top folder: true, or false after a debug line.
bool EnsurePrivateFolder(const std::filesystem::path& path) {
    std::string reason = Distrust(path, Level::kBelow);
    if (reason.empty()) return true;
    ReportRefusal({path, std::move(reason)}, kNotAvailable);
    return false;
}

// The places the top folder may be, in the order they are tried. The session's own folder when
// there is one. Without it, a folder in the temporary folder, which every user can write to:
// another user may have made <temp>/orvandel-<uid> first (or a link of that name), and it is
// refused then; the user's own cache folder, which no other user can write to, takes its place.
std::vector<std::filesystem::path> TopFolderPlaces() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (xdg != nullptr && *xdg == '/') {
        // The session's own folder; made here when it is missing, as it always was.
        if (!std::filesystem::exists(xdg, ec)) {
            std::filesystem::create_directories(xdg, ec);
            ::chmod(xdg, 0700);
        }
        return {std::filesystem::path(xdg) / "orvandel"};
    }
    std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec || temp.empty()) temp = "/tmp";
    std::vector<std::filesystem::path> places{temp / ("orvandel-" + std::to_string(::getuid()))};
    std::filesystem::path cache;
    if (const char* home = std::getenv("XDG_CACHE_HOME"); home != nullptr && *home == '/') {
        cache = home;
    } else if (const char* user = std::getenv("HOME"); user != nullptr && *user == '/') {
        cache = std::filesystem::path(user) / ".cache";
    }
    if (!cache.empty()) {
        std::filesystem::create_directories(cache, ec);
        places.push_back(cache / "orvandel-runtime");
    }
    return places;
}

// The first place that can be trusted, or empty; the places refused on the way are added to
// `refusals`.
std::filesystem::path TrustedTopFolder(std::vector<Refusal>* refusals) {
    for (std::filesystem::path& place : TopFolderPlaces()) {
        std::string reason = Distrust(place, Level::kTop);
        if (reason.empty()) return place;
        refusals->push_back({std::move(place), std::move(reason)});
    }
    return {};
}

// "<folder>: <reason>" of each refusal, one a line.
std::wstring RefusalLines(const std::vector<Refusal>& refusals) {
    std::wstring lines;
    for (const Refusal& refusal : refusals) {
        if (!lines.empty()) lines += L"\n";
        lines += FromNativePath(refusal.folder.native()) + L": " + Utf8ToWide(refusal.reason);
    }
    return lines;
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

std::filesystem::path RuntimeFolder(std::wstring* refusal) {
    std::vector<Refusal> refusals;
    std::filesystem::path folder = TrustedTopFolder(&refusals);
    if (!folder.empty()) {
        for (const Refusal& refused : refusals)
            ReportRefusal(refused, L"using " + FromNativePath(folder.native()) + L" instead");
        refusals.clear();
        if (const std::string ns = CurrentNamespace(); !ns.empty()) {
            folder /= ns;
            if (std::string reason = Distrust(folder, Level::kBelow); !reason.empty())
                refusals.push_back({folder, std::move(reason)});
        }
    }
    if (refusals.empty()) return folder;
    for (const Refusal& refused : refusals)
        ReportRefusal(refused, kNotAvailable);
    if (refusal != nullptr) *refusal = RefusalLines(refusals);
    return {};
}

std::filesystem::path RuntimeSubfolder(std::string_view kind) {
    const std::filesystem::path base = RuntimeFolder();
    if (base.empty()) return {};
    const auto folder = base / kind;
    if (!EnsurePrivateFolder(folder)) return {};
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
