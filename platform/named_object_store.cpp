#include "platform/named_object_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/fd_io.h"
#include "platform/process_identity.h"
#include "platform/runtime_folder.h"

namespace platform {
namespace {

constexpr std::size_t kMaxFileName = 200;
// How long an opener waits for an object that its last holder is giving up at that moment.
constexpr std::chrono::milliseconds kBusyLimit(1000);
// Names of objects being made without O_TMPFILE; dot names are never object names.
constexpr std::string_view kNewPrefix = ".new-";

bool SameFile(int fd, const std::filesystem::path& path) {
    struct stat byFd {};
    struct stat byPath {};
    return ::fstat(fd, &byFd) == 0 && ::lstat(path.c_str(), &byPath) == 0 &&
           byFd.st_dev == byPath.st_dev && byFd.st_ino == byPath.st_ino;
}

// Removes the name of an object nobody holds; true when the file was such an object. The caller's
// exclusive lock keeps new holders out until the name is gone.
bool RemoveIfUnheld(int fd, const std::filesystem::path& path) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
    if (SameFile(fd, path)) ::unlink(path.c_str());
    return true;
}

// The objects this process holds, so that an exit gives them up like closing every handle would,
// even those of objects that are never destroyed. Never destroyed itself: handles of static
// objects close after the exit handlers.
class HeldObjects {
  public:
    static HeldObjects& Instance() {
        static auto* const instance = new HeldObjects;
        return *instance;
    }
    void Add(int fd, const std::filesystem::path& path) {
        const std::lock_guard lock(mutex_);
        held_[fd] = Held{::getpid(), path};
        static const bool registered = [] { return std::atexit(ReleaseAll) == 0; }();
        (void)registered;
    }
    void Remove(int fd) {
        const std::lock_guard lock(mutex_);
        held_.erase(fd);
    }

  private:
    // The descriptors stay open: other threads may still use them while the process ends. A
    // holder that is not the last loses its shared lock here, which ending would take anyway.
    // A forked child that exits shares its parent's locks and leaves them alone.
    static void ReleaseAll() {
        HeldObjects& self = Instance();
        const std::lock_guard lock(self.mutex_);
        const pid_t process = ::getpid();
        for (const auto& [fd, held] : self.held_) {
            if (held.opener == process) RemoveIfUnheld(fd, held.path);
        }
    }
    struct Held {
        pid_t opener;
        std::filesystem::path path;
    };
    std::mutex mutex_;
    std::map<int, Held> held_;
};

// Removes, once per folder and process, what ended processes left there: objects nobody holds and
// objects that were being made.
void SweepOnce(const std::filesystem::path& folder) {
    if (!FirstUseInProcess(folder)) return;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.empty() || (name[0] == '.' && name.substr(0, kNewPrefix.size()) != kNewPrefix))
            continue;
        const auto path = folder / name;
        const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.Valid()) RemoveIfUnheld(fd.Get(), path);
    }
    ::closedir(dir);
}

enum class Outcome { kOpened, kMissing, kBusy, kFailed };

// Reads and checks the trailer; the data size, or nullopt for a file that is no object.
std::optional<std::size_t> DataSizeOf(int fd, bool* ownCreation) {
    struct stat st {};
    NamedObjectTrailer trailer;
    if (::fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(sizeof trailer)) return {};
    const off_t at = st.st_size - static_cast<off_t>(sizeof trailer);
    if (::pread(fd, &trailer, sizeof trailer, at) != static_cast<ssize_t>(sizeof trailer) ||
        trailer.magic != NamedObjectTrailer::kMagic ||
        NamedObjectTrailer::Offset(trailer.dataSize) != static_cast<std::size_t>(at)) {
        return {};
    }
    *ownCreation = trailer.creatorPid == static_cast<std::uint32_t>(::getpid()) &&
                   trailer.creatorStart == OwnStartTime();
    return static_cast<std::size_t>(trailer.dataSize);
}

// One attempt to join the live object of that path.
Outcome TryOpen(const std::filesystem::path& path, int openFlags, OwnedFd* out) {
    OwnedFd fd(::open(path.c_str(), openFlags | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.Valid()) return errno == ENOENT ? Outcome::kMissing : Outcome::kFailed;
    // Nobody holds it: its last holder died. Its name goes; the caller then finds none.
    if (RemoveIfUnheld(fd.Get(), path)) return Outcome::kMissing;
    // The last holder, or a remover of a dead object, holds it alone for a moment.
    if (::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) return Outcome::kBusy;
    // Held now, it can lose its name no more; but it may have lost it just before.
    if (!SameFile(fd.Get(), path)) return Outcome::kBusy;
    *out = std::move(fd);
    return Outcome::kOpened;
}

// A new object file, nameless and already held by its creator, with its trailer written.
OwnedFd MakeObjectFile(const std::filesystem::path& folder, std::size_t size,
                       std::filesystem::path* temporaryName) {
    static std::atomic<std::uint64_t> counter{0};
    OwnedFd fd(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!fd.Valid()) {
        // File systems without O_TMPFILE: a dot name that no object name can take.
        *temporaryName = folder / (std::string(kNewPrefix) + std::to_string(::getpid()) + "-" +
                                   std::to_string(counter.fetch_add(1)));
        fd.Reset(OpenPrivateFile(*temporaryName, O_RDWR | O_CREAT | O_EXCL));
        if (!fd.Valid()) return fd;
    }
    NamedObjectTrailer trailer;
    trailer.creatorPid = static_cast<std::uint32_t>(::getpid());
    trailer.creatorStart = OwnStartTime();
    trailer.dataSize = size;
    const off_t at = static_cast<off_t>(NamedObjectTrailer::Offset(size));
    const bool made =
        ::fchmod(fd.Get(), 0600) == 0 &&
        ::ftruncate(fd.Get(), at + static_cast<off_t>(sizeof trailer)) == 0 &&
        ::pwrite(fd.Get(), &trailer, sizeof trailer, at) == static_cast<ssize_t>(sizeof trailer) &&
        ::flock(fd.Get(), LOCK_SH | LOCK_NB) == 0;
    if (!made) {
        if (!temporaryName->empty()) ::unlink(temporaryName->c_str());
        return OwnedFd();
    }
    return fd;
}

// One attempt to create the object: kOpened (created), kBusy (the name exists) or kFailed.
Outcome TryCreate(const std::filesystem::path& folder, const std::filesystem::path& path,
                  std::size_t size, OwnedFd* out) {
    std::filesystem::path temporary;
    OwnedFd fd = MakeObjectFile(folder, size, &temporary);
    if (!fd.Valid()) return Outcome::kFailed;
    int rc = 0;
    if (temporary.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd.Get());
        rc = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
    } else {
        rc = ::link(temporary.c_str(), path.c_str());
    }
    const int error = errno;
    if (!temporary.empty()) ::unlink(temporary.c_str());
    if (rc != 0) return error == EEXIST ? Outcome::kBusy : Outcome::kFailed;
    *out = std::move(fd);
    return Outcome::kOpened;
}

}  // namespace

NamedObjectHandle::NamedObjectHandle(NamedObjectHandle&& other) noexcept {
    *this = std::move(other);
}

NamedObjectHandle& NamedObjectHandle::operator=(NamedObjectHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::move(other.fd_);
        path_ = std::move(other.path_);
        dataSize_ = std::exchange(other.dataSize_, 0);
        ownCreation_ = std::exchange(other.ownCreation_, false);
    }
    return *this;
}

NamedObjectHandle::~NamedObjectHandle() {
    Close();
}

void NamedObjectHandle::Close() {
    if (!fd_.Valid()) return;
    HeldObjects::Instance().Remove(fd_.Get());
    // Only the last holder gets the exclusive lock; it takes the name with it. (A holder that is
    // not the last loses its shared lock in the attempt, as it is closing anyway.)
    RemoveIfUnheld(fd_.Get(), path_);
    fd_.Reset();
    path_.clear();
    dataSize_ = 0;
    ownCreation_ = false;
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
        // A leading dot is encoded too: no name becomes a hidden file or "..".
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

NamedObjectHandle NamedObjectStore::Acquire(std::string_view name, int openFlags,
                                            std::optional<std::size_t> createSize,
                                            bool* alreadyExisted) const {
    NamedObjectHandle handle;
    const std::string file = FileNameOf(name);
    if (file.empty()) return handle;
    const std::filesystem::path folder = RuntimeSubfolder(kind_);
    if (folder.empty()) return handle;
    SweepOnce(folder);
    const auto path = folder / file;
    OwnedFd fd;
    bool existed = false;
    Outcome outcome = Outcome::kFailed;
    RetryWithin(kBusyLimit, [&] {
        outcome = TryOpen(path, openFlags, &fd);
        existed = outcome == Outcome::kOpened;
        // A creator that loses the race to another opens the winner's object next time.
        if (outcome == Outcome::kMissing && createSize)
            outcome = TryCreate(folder, path, *createSize, &fd);
        return outcome != Outcome::kBusy;
    });
    if (outcome != Outcome::kOpened) return handle;
    bool ownCreation = false;
    const auto dataSize = DataSizeOf(fd.Get(), &ownCreation);
    if (!dataSize) return handle;
    if (alreadyExisted != nullptr) *alreadyExisted = existed;
    HeldObjects::Instance().Add(fd.Get(), path);
    handle.fd_ = std::move(fd);
    handle.path_ = path;
    handle.dataSize_ = *dataSize;
    handle.ownCreation_ = ownCreation;
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
