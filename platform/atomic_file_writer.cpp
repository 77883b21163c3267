#include "platform/atomic_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/fd_io.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::string TemporaryNameBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return target.substr(0, nameStart) + "." + target.substr(nameStart) + ".tmp-" +
           std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

std::string FolderOfNative(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : target.substr(0, slash);
}

void FlushFolder(const std::string& target) {
    const int fd = ::open(FolderOfNative(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes, flushes and closes the temporary file; false (errno kept) on any failure.
bool FillTemporary(int fd, const std::string& target, std::string_view bytes) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
    const bool ok = WriteAllToFd(fd, bytes) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    return ok;
}

}  // namespace

BOOL WriteFileAtomically(std::wstring_view path, std::string_view bytes) {
    const std::string target = ToNativePath(path);
    const std::string temporary = TemporaryNameBeside(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return FALSE;
    }
    if (!FillTemporary(fd, target, bytes) || ::rename(temporary.c_str(), target.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        ::unlink(temporary.c_str());
        return FALSE;
    }
    FlushFolder(target);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace platform
