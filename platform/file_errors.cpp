#include "platform/file_errors.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/last_error.h"

namespace platform {
namespace {

bool FolderExists(const std::string& native) {
    const std::size_t slash = native.rfind('/');
    if (slash == std::string::npos || slash == 0) return true;
    struct stat st {};
    return ::stat(native.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

DWORD FileErrorFromErrno(int errnoValue, const std::string& nativePath) {
    if (errnoValue == ENOENT) {
        return FolderExists(nativePath) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (errnoValue == EEXIST) return ERROR_FILE_EXISTS;
    if (errnoValue == EISDIR) return ERROR_ACCESS_DENIED;
    return ErrorFromErrno(errnoValue);
}

}  // namespace platform
