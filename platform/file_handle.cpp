#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/fd_io.h"
#include "platform/file_errors.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/share_mode_locks.h"

namespace platform {
namespace {

int CreationFlags(DWORD disposition) {
    switch (disposition) {
        case CREATE_NEW:
            return O_CREAT | O_EXCL;
        case CREATE_ALWAYS:
        case OPEN_ALWAYS:
            return O_CREAT;
        default:
            return 0;
    }
}

int OpenWithoutWaiting(const std::string& native, int flags) {
    // Opening a FIFO waits for its other end; Windows' open of a path never waits, so the open
    // itself does not block and the descriptor blocks as usual afterwards.
    const int fd = ::open(native.c_str(), flags | O_NONBLOCK, 0666);
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Share-mode records need a descriptor open for reading, so a write-only open is made read-write
// when the file allows it.
int OpenForAccess(const std::string& native, DWORD access, DWORD disposition) {
    const int flags = CreationFlags(disposition) | O_CLOEXEC;
    if (access & GENERIC_WRITE) {
        const int fd = OpenWithoutWaiting(native, O_RDWR | flags);
        if (fd >= 0 || errno != EACCES || (access & GENERIC_READ)) return fd;
        return OpenWithoutWaiting(native, O_WRONLY | flags);
    }
    return OpenWithoutWaiting(native, O_RDONLY | flags);
}

bool Existed(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0;
}

}  // namespace

FileHandle::FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileHandle::~FileHandle() {
    Close();
}

void FileHandle::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool FileHandle::Read(void* buffer, DWORD size, DWORD* bytesRead) {
    ssize_t n = 0;
    while ((n = ::read(fd_, buffer, size)) < 0 && errno == EINTR) {
    }
    if (bytesRead != nullptr) *bytesRead = n > 0 ? static_cast<DWORD>(n) : 0;
    if (n < 0) SetLastError(ErrorFromErrno(errno));
    return n >= 0;
}

bool FileHandle::Write(const void* data, DWORD size, DWORD* bytesWritten) {
    const bool ok = WriteAll(std::string_view(static_cast<const char*>(data), size));
    if (bytesWritten != nullptr) *bytesWritten = ok ? size : 0;
    return ok;
}

bool FileHandle::WriteAll(std::string_view bytes) {
    if (WriteAllToFd(fd_, bytes)) return true;
    SetLastError(ErrorFromErrno(errno));
    return false;
}

std::optional<std::uint64_t> FileHandle::SetPointer(std::int64_t distance, DWORD moveMethod) {
    const int whence = moveMethod == FILE_END       ? SEEK_END
                       : moveMethod == FILE_CURRENT ? SEEK_CUR
                                                    : SEEK_SET;
    const off_t at = ::lseek(fd_, distance, whence);
    if (at < 0) {
        SetLastError(ErrorFromErrno(errno));
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(at);
}

std::optional<std::uint64_t> FileHandle::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool FileHandle::SetEndOfFile() {
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0 || ::ftruncate(fd_, at) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    return true;
}

bool FileHandle::IsRegularFile() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
}

bool FileHandle::Flush() {
    return ::fsync(fd_) == 0;
}

FileHandle CreateFileW(std::wstring_view path, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD /*flagsAndAttributes*/) {
    const std::string native = ToNativePath(path);
    const bool existed = Existed(native);
    FileHandle file(OpenForAccess(native, desiredAccess, creationDisposition));
    if (!file.IsValid()) {
        SetLastError(FileErrorFromErrno(errno, native));
        return {};
    }
    struct stat st {};
    if (::fstat(file.fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);  // a folder is not a file
        return {};
    }
    if (!AcquireShareMode(file.fd_, desiredAccess, shareMode)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return {};
    }
    const bool truncate =
        creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING;
    if (truncate && ::ftruncate(file.fd_, 0) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return {};
    }
    const bool reportsExisting =
        creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return file;
}

}  // namespace platform
