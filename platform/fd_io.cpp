#include "platform/fd_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace platform {

bool ReadAllFromFd(int fd, std::string* out, std::size_t maxBytes) {
    char buffer[65536];
    std::size_t appended = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        appended += static_cast<std::size_t>(n);
        if (appended > maxBytes) {
            errno = EFBIG;
            return false;
        }
        out->append(buffer, static_cast<std::size_t>(n));
    }
}

bool WriteAllToFd(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

namespace fd_io_detail {

bool PauseBeforeRetry(std::chrono::steady_clock::time_point deadline,
                      std::chrono::microseconds* pause) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(*pause, deadline - now));
    *pause = std::min<std::chrono::microseconds>(*pause * 2, std::chrono::milliseconds(2));
    return true;
}

}  // namespace fd_io_detail

int FlockWithin(int fd, int operation, std::chrono::milliseconds limit) {
    int result = -1;
    int error = EWOULDBLOCK;
    RetryWithin(limit, [&] {
        if (::flock(fd, operation | LOCK_NB) == 0) {
            result = 0;
            return true;
        }
        error = errno;
        // Other errors than a held lock end the attempts at once.
        return error != EWOULDBLOCK && error != EINTR;
    });
    if (result != 0) errno = error;
    return result;
}

bool LockByteWithin(int fd, off_t byte, std::chrono::milliseconds limit) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return RetryWithin(limit, [&] { return ::fcntl(fd, F_OFD_SETLK, &lock) == 0; });
}

void UnlockByte(int fd, off_t byte) {
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    ::fcntl(fd, F_OFD_SETLK, &lock);
}

}  // namespace platform
