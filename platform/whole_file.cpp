#include "platform/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/last_error.h"
#include "platform/paths.h"

namespace platform {

bool ReadWholeFile(std::wstring_view path, std::string* out) {
    out->clear();
    const int fd = ::open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        out->append(buffer, static_cast<std::size_t>(n));
    }
    const int savedErrno = errno;
    ::close(fd);
    if (n < 0) SetLastError(ErrorFromErrno(savedErrno));
    return n == 0;
}

}  // namespace platform
