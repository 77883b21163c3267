#include "platform/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fd_io.h"
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
    const bool read = ReadAllFromFd(fd, out);
    const int savedErrno = errno;
    ::close(fd);
    if (!read) SetLastError(ErrorFromErrno(savedErrno));
    return read;
}

}  // namespace platform
