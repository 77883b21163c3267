#include "platform/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_errors.h"
#include "platform/file_handle.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/share_mode_locks.h"
#include "platform/simulated_disk.h"

namespace platform {
namespace {

bool CopyContent(FileHandle& from, FileHandle& to) {
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!from.Read(buffer, sizeof buffer, &got)) return false;
        if (got == 0) return true;
        if (!to.WriteAll(std::string_view(buffer, got))) return false;
    }
}

// Permission bits and last write time of the source, as Windows' copy keeps its attributes and
// times.
void CopyMetadata(const FileHandle& from, const FileHandle& to) {
    struct stat st {};
    if (::fstat(from.NativeHandle(), &st) != 0) return;
    ::fchmod(to.NativeHandle(), st.st_mode & 07777);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(to.NativeHandle(), times);
}

}  // namespace

BOOL DeleteFileW(std::wstring_view path) {
    const std::string native = ToNativePath(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) {
        SetLastError(FileErrorFromErrno(errno, native));
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const FileHandle probe =
        CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    const int error = probe.IsValid() ? UnlinkIfDeletionShared(probe.NativeHandle(), native)
                                      : (::unlink(native.c_str()) == 0 ? 0 : errno);
    if (error == 0) return TRUE;
    SetLastError(error == EBUSY ? ERROR_SHARING_VIOLATION : FileErrorFromErrno(error, native));
    return FALSE;
}

BOOL CopyFileW(std::wstring_view existing, std::wstring_view destination, BOOL failIfExists) {
    FileHandle from =
        CreateFileW(existing, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!from.IsValid()) return FALSE;
    FileHandle to =
        CreateFileW(destination, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS);
    if (!to.IsValid()) return FALSE;
    if (!CopyContent(from, to)) return FALSE;
    CopyMetadata(from, to);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL CreateDirectoryW(std::wstring_view path) {
    const std::string native = ToNativePath(path);
    if (::mkdir(native.c_str(), 0777) == 0) return TRUE;
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
    return FALSE;
}

BOOL GetDiskFreeSpaceExW(std::wstring_view folder, std::uint64_t* freeBytesAvailableToCaller,
                         std::uint64_t* totalBytes, std::uint64_t* totalFreeBytes) {
    struct statvfs vfs {};
    const std::string native = folder.empty() ? std::string(".") : ToNativePath(folder);
    if (::statvfs(native.c_str(), &vfs) != 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return FALSE;
    }
    const std::uint64_t unit = vfs.f_frsize;
    std::uint64_t available = vfs.f_bavail * unit;
    std::uint64_t total = vfs.f_blocks * unit;
    std::uint64_t free = vfs.f_bfree * unit;
    if (IsDiskSimulated()) {
        const std::optional<SimulatedDiskSpace> disk = QuerySimulatedDisk(native);
        if (!disk) {
            SetLastError(ERROR_NOT_READY);
            return FALSE;
        }
        total = disk->total;
        available = free = disk->free;
    }
    if (freeBytesAvailableToCaller != nullptr) *freeBytesAvailableToCaller = available;
    if (totalBytes != nullptr) *totalBytes = total;
    if (totalFreeBytes != nullptr) *totalFreeBytes = free;
    return TRUE;
}

}  // namespace platform
