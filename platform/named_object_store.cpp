#include "platform/named_object_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "platform/runtime_folder.h"

namespace platform {
namespace {

constexpr std::size_t kMaxFileName = 200;

int FlockRetrying(int fd, int operation) {
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// Holds the folder's lock for the lifetime of the object.
class FolderLock {
  public:
    explicit FolderLock(const std::filesystem::path& folder)
        : fd_(::open((folder / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_.Valid()) FlockRetrying(fd_.Get(), LOCK_EX);
    }

  private:
    OwnedFd fd_;
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
    ::fchmod(fd.Get(), 0600);
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
    const auto folder = RuntimeFolder() / kind_;
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    return folder;
}

NamedObjectHandle NamedObjectStore::Create(std::string_view name, std::size_t size,
                                           bool* alreadyExisted) const {
    NamedObjectHandle handle;
    const std::string file = FileNameOf(name);
    if (file.empty()) return handle;
    const auto folder = Folder();
    const auto path = folder / file;
    const FolderLock lock(folder);
    OwnedFd fd = OpenHeld(path, O_RDWR);
    const bool existed = fd.Valid();
    if (!existed) fd = CreateHeld(path, size);
    if (!fd.Valid()) return handle;
    if (alreadyExisted != nullptr) *alreadyExisted = existed;
    handle.fd_ = std::move(fd);
    handle.path_ = path;
    return handle;
}

NamedObjectHandle NamedObjectStore::Open(std::string_view name, bool writable) const {
    NamedObjectHandle handle;
    const std::string file = FileNameOf(name);
    if (file.empty()) return handle;
    const auto folder = Folder();
    const auto path = folder / file;
    const FolderLock lock(folder);
    OwnedFd fd = OpenHeld(path, writable ? O_RDWR : O_RDONLY);
    if (!fd.Valid()) return handle;
    handle.fd_ = std::move(fd);
    handle.path_ = path;
    return handle;
}

}  // namespace platform
