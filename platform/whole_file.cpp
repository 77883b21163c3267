#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/fd_io.h"
#include "platform/last_error.h"
#include "platform/owned_fd.h"
#include "platform/paths.h"

namespace platform {
namespace {

// Why a descriptor is no file to read whole, or ERROR_SUCCESS.
DWORD RefusalOf(int fd, std::size_t maxBytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return ErrorFromErrno(errno);
    if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return ERROR_FILE_TOO_LARGE;
    return ERROR_SUCCESS;
}

}  // namespace

bool ReadWholeFd(int fd, std::string* out, std::size_t maxBytes) {
    out->clear();
    if (const DWORD refusal = RefusalOf(fd, maxBytes); refusal != ERROR_SUCCESS) {
        SetLastError(refusal);
        return false;
    }
    // The file may still grow while it is read; the bound holds for what is read.
    try {
        if (ReadAllFromFd(fd, out, maxBytes)) return true;
        SetLastError(ErrorFromErrno(errno));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    out->clear();
    out->shrink_to_fit();
    return false;
}

bool ReadWholeFile(std::wstring_view path, std::string* out, std::size_t maxBytes) {
    out->clear();
    // Non-blocking open: opening a pipe for reading would otherwise wait for a writer.
    const OwnedFd fd(::open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid()) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    return ReadWholeFd(fd.Get(), out, maxBytes);
}

}  // namespace platform
