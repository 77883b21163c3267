#include "platform/named_object_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <system_error>

#include "platform/fd_io.h"
#include "platform/runtime_folder.h"

namespace platform {
namespace {

constexpr std::size_t kMaxFileName = 200;

// Holds the folder's lock for the lifetime of the object. The lock file stays open for the
// process; a process-wide mutex keeps this process's threads apart, since they share that
// descriptor and a lock of the file would not exclude them from each other.
class FolderLock {
  public:
    explicit FolderLock(const std::filesystem::path& folder) : threads_(Mutex()) {
        fd_ = LockFileOf(folder);
        if (fd_ >= 0) FlockRetrying(fd_, LOCK_EX);
    }
    ~FolderLock() {
        if (fd_ >= 0) FlockRetrying(fd_, LOCK_UN);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    // Never destroyed: handles held by static objects may close during exit.
    static std::mutex& Mutex() {
        static auto* const mutex = new std::mutex;
        return *mutex;
    }
    // Called with the mutex held.
    static int LockFileOf(const std::filesystem::path& folder) {
        static auto* const open = new std::map<std::string, OwnedFd>;
        OwnedFd& fd = (*open)[folder.string()];
        if (!fd.Valid()) {
            fd.Reset(::open((folder / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        }
        return fd.Get();
    }

    std::lock_guard<std::mutex> threads_;
    int fd_ = -1;
};

bool SameFile(int fd, const std::filesystem::path& path) {
    struct stat byFd {};
    struct stat byPath {};
    return ::fstat(fd, &byFd) == 0 && ::stat(path.c_str(), &byPath) == 0 &&
           byFd.st_dev == byPath.st_dev && byFd.st_ino == byPath.st_ino;
}

// True when the file has no holder left: its owner closed without removing it, or died.
bool IsUnheld(int fd) {
    return FlockRetrying(fd, LOCK_EX | LOCK_NB) == 0;
}

// Opens an existing object for a new holder; a file nobody holds is removed instead.
OwnedFd OpenHeld(const std::filesystem::path& path, int openFlags) {
    OwnedFd fd(::open(path.c_str(), openFlags | O_CLOEXEC));
    if (!fd.Valid()) return fd;
    if (IsUnheld(fd.Get())) {
        ::unlink(path.c_str());
        return OwnedFd();
    }
    if (FlockRetrying(fd.Get(), LOCK_SH | LOCK_NB) != 0) return OwnedFd();
    return fd;
}

OwnedFd CreateHeld(const std::filesystem::path& path, std::size_t size) {
    OwnedFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.Valid()) return fd;
    if (::ftruncate(fd.Get(), static_cast<off_t>(size)) != 0 ||
        FlockRetrying(fd.Get(), LOCK_SH | LOCK_NB) != 0) {
        ::unlink(path.c_str());
        return OwnedFd();
    }
    return fd;
}

}  // namespace

NamedObjectHandle& NamedObjectHandle::operator=(NamedObjectHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::move(other.fd_);
        path_ = std::move(other.path_);
    }
    return *this;
}

NamedObjectHandle::~NamedObjectHandle() {
    Close();
}

void NamedObjectHandle::Close() {
    if (!fd_.Valid()) return;
    {
        const FolderLock lock(path_.parent_path());
        // Only the last holder gets the exclusive lock; it takes the name with it.
        if (IsUnheld(fd_.Get()) && SameFile(fd_.Get(), path_)) ::unlink(path_.c_str());
        fd_.Reset();
    }
    path_.clear();
}

std::string NamedObjectStore::FileNameOf(std::string_view name) {
    for (const std::string_view prefix :
         {std::string_view("Global\\"), std::string_view("Local\\")}) {
        if (name.substr(0, prefix.size()) == prefix) {
            name.remove_prefix(prefix.size());
            break;
        }
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        // A leading dot is encoded too: no name becomes a hidden file, ".." or the lock file.
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                          (c == '.' && !out.empty());
        if (safe) {
            out.push_back(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += {'%', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    if (out.empty() || out.size() > kMaxFileName) return {};
    return out;
}

std::filesystem::path NamedObjectStore::Folder() const {
    // The runtime folder follows the environment; it is looked up again only when that changes.
    thread_local std::string knownEnvironment;
    thread_local std::map<std::string, std::filesystem::path> known;
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const char* ns = std::getenv("ORVANDEL_NAMESPACE");
    std::string environment = std::string(xdg ? xdg : "") + '\n' + (ns ? ns : "");
    if (environment != knownEnvironment) {
        known.clear();
        knownEnvironment = std::move(environment);
    }
    auto& folder = known[kind_];
    if (folder.empty()) {
        folder = RuntimeFolder() / kind_;
        std::error_code ec;
        std::filesystem::create_directory(folder, ec);
    }
    return folder;
}

NamedObjectHandle NamedObjectStore::Acquire(std::string_view name, int openFlags,
                                            std::optional<std::size_t> createSize,
                                            bool* alreadyExisted) const {
    NamedObjectHandle handle;
    const std::string file = FileNameOf(name);
    if (file.empty()) return handle;
    const auto folder = Folder();
    const auto path = folder / file;
    const FolderLock lock(folder);
    OwnedFd fd = OpenHeld(path, openFlags);
    const bool existed = fd.Valid();
    if (!existed && createSize) fd = CreateHeld(path, *createSize);
    if (!fd.Valid()) return handle;
    if (alreadyExisted != nullptr) *alreadyExisted = existed;
    handle.fd_ = std::move(fd);
    handle.path_ = path;
    return handle;
}

NamedObjectHandle NamedObjectStore::Create(std::string_view name, std::size_t size,
                                           bool* alreadyExisted) const {
    return Acquire(name, O_RDWR, size, alreadyExisted);
}

NamedObjectHandle NamedObjectStore::Open(std::string_view name, bool writable) const {
    return Acquire(name, writable ? O_RDWR : O_RDONLY, std::nullopt, nullptr);
}

}  // namespace platform
