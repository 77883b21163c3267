// Files opened through the layer, with Windows' open modes and share modes.
//
// Share modes hold between all processes and threads that open the file through this layer:
// each open records its access and what it refuses to share as advisory locks on the file
// (open file description locks far beyond any data), so an open that Windows would refuse with
// a sharing violation is refused here too, e.g. an open "without sharing" while another process
// writes the file. Programs that open the file without the layer are not seen. DeleteFileW
// (platform/file_operations.h) honours FILE_SHARE_DELETE the same way, so a recording being
// written is never deleted.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/system_time.h"
#include "platform/win_types.h"

namespace platform {

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;

inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;

class FileHandle {
  public:
    FileHandle() = default;
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    bool IsValid() const { return fd_ >= 0; }

    // Reads up to size bytes (fewer at the end of the file, 0 there).
    bool Read(void* buffer, DWORD size, DWORD* bytesRead);
    bool Write(const void* data, DWORD size, DWORD* bytesWritten);
    bool WriteAll(std::string_view bytes);
    // The new position, or nullopt.
    std::optional<std::uint64_t> SetPointer(std::int64_t distance, DWORD moveMethod);
    std::optional<std::uint64_t> Size() const;
    // Cuts (or extends) the file at the current position.
    bool SetEndOfFile();
    // False for devices, FIFOs and sockets, whose size says nothing about what a read gives.
    bool IsRegularFile() const;
    bool Flush();
    void Close();

    int NativeHandle() const { return fd_; }

  private:
    friend FileHandle CreateFileW(std::wstring_view, DWORD, DWORD, DWORD, DWORD);
    explicit FileHandle(int fd) : fd_(fd) {}

    int fd_ = -1;
};

// Opens or creates a file. On failure the handle is invalid and the last error tells why:
// ERROR_SHARING_VIOLATION (another open refuses to share, or this one refuses what another
// holds), ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_FILE_EXISTS (CREATE_NEW),
// ERROR_ACCESS_DENIED. CREATE_ALWAYS and OPEN_ALWAYS set ERROR_ALREADY_EXISTS when the file
// existed. A refused open never truncates. Attributes other than the directory bit are ignored.
// The open never waits (a FIFO without its other end opens at once, or fails for writing).
FileHandle CreateFileW(std::wstring_view path, DWORD desiredAccess, DWORD shareMode,
                       DWORD creationDisposition, DWORD flagsAndAttributes = FILE_ATTRIBUTE_NORMAL);

}  // namespace platform
