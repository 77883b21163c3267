#include "platform/fd_io.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

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

int FlockRetrying(int fd, int operation) {
    int rc = 0;
    while ((rc = ::flock(fd, operation)) != 0 && errno == EINTR) {
    }
    return rc;
}

}  // namespace platform
