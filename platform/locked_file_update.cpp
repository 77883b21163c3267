#include "platform/locked_file_update.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/atomic_file_writer.h"
#include "platform/fd_io.h"
#include "platform/whole_file.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace platform {
namespace {

// Another writer holds the lock while it reads the file and writes it anew, flushed to disk; one
// that keeps it longer than this was stopped, and the update fails.
constexpr std::chrono::milliseconds kUpdateLockLimit(5000);

// The lock sits on the file itself. A writer replaces the file by rename, so a process that got
// the lock on the old file must look again: it holds the lock only when the path still names the
// file it locked.
bool StillNamesLockedFile(int fd, const std::string& path) {
    struct stat locked {};
    struct stat current {};
    return ::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &current) == 0 &&
           locked.st_dev == current.st_dev && locked.st_ino == current.st_ino;
}

// An open, locked descriptor of the file the path names (created empty when missing), or -1.
int LockCurrentFile(const std::string& path, bool* created) {
    for (;;) {
        // Non-blocking, as a pipe or a device may stand at the path: it is refused once open.
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        *created = false;
        if (fd < 0 && errno == ENOENT) {
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            *created = fd >= 0;
            if (fd < 0 && errno == EEXIST) continue;
        }
        if (fd < 0) return -1;
        const int rc = FlockWithin(fd, LOCK_EX, kUpdateLockLimit);
        if (rc == 0 && StillNamesLockedFile(fd, path)) return fd;
        const int error = errno;
        ::close(fd);
        if (rc != 0) {
            errno = error;
            return -1;
        }
    }
}

}  // namespace

BOOL UpdateFileLocked(std::wstring_view path, const FileUpdate& update, std::size_t maxBytes) {
    const std::string native = ToNativePath(path);
    bool created = false;
    const int fd = LockCurrentFile(native, &created);
    if (fd < 0) {
        SetLastError(errno == ENOENT        ? ERROR_PATH_NOT_FOUND
                     : errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION
                                            : ErrorFromErrno(errno));
        return FALSE;
    }
    std::string current;
    BOOL result = ReadWholeFd(fd, &current, maxBytes) ? TRUE : FALSE;
    if (result) {
        if (const auto replacement = update(current))
            result = WriteFileAtomically(path, *replacement);
    }
    // A file created only to hold the lock goes again when nothing was written into it.
    if (created && !StillNamesLockedFile(fd, native)) created = false;
    if (created) ::unlink(native.c_str());
    ::close(fd);
    return result;
}

}  // namespace platform
