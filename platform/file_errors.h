// The Windows error for a failed file-system call on a path, as the file calls report it.
#pragma once

#include <string>

#include "platform/last_error.h"
#include "platform/win_types.h"

namespace platform {

// ENOENT is ERROR_PATH_NOT_FOUND when the path's folder is missing, else ERROR_FILE_NOT_FOUND;
// EEXIST is ERROR_FILE_EXISTS; EISDIR is ERROR_ACCESS_DENIED.
DWORD FileErrorFromErrno(int errnoValue, const std::string& nativePath);

// Whether a failed open or read found no file at the path, rather than one it could not read.
inline bool FoundNoFile(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace platform
