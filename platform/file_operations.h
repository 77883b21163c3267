// Whole-file operations: delete, copy, create a folder, free space.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

// Deletes a file; FALSE with ERROR_SHARING_VIOLATION while an open through the layer does not
// share deletion, ERROR_FILE_NOT_FOUND when missing, ERROR_ACCESS_DENIED for a folder.
BOOL DeleteFileW(std::wstring_view path);

// Copies a file whole (content, permission bits, last write time). failIfExists: FALSE with
// ERROR_FILE_EXISTS when the destination exists; otherwise it is overwritten. The source is read
// sharing read and write; the destination is written without sharing.
BOOL CopyFileW(std::wstring_view existing, std::wstring_view destination, BOOL failIfExists);

// Creates one folder: ERROR_ALREADY_EXISTS when it exists, ERROR_PATH_NOT_FOUND without its
// parent.
BOOL CreateDirectoryW(std::wstring_view path);

// Free space of the file system that holds the folder (statvfs): bytes available to the caller,
// total bytes, free bytes. Any pointer may be null. Linux has no drive letters: pass the folder
// itself (an empty name means the current folder, as a null root means the current drive on
// Windows). Under the disk simulation (platform/simulated_disk.h) the figures are the simulated
// ones, and an unreadable simulation file fails the query with ERROR_NOT_READY.
BOOL GetDiskFreeSpaceExW(std::wstring_view folder, std::uint64_t* freeBytesAvailableToCaller,
                         std::uint64_t* totalBytes, std::uint64_t* totalFreeBytes);

}  // namespace platform
