// Reads a file whole, by path (the counterpart of WriteFileAtomically for small text files).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Far above any settings file, channel table, broadcast description or EPG data file the programs
// read.
inline constexpr std::size_t kMaxWholeFileBytes = 64u << 20;

// The bound of the lists a user keeps (reservations, search conditions), which the programs
// only append to: a reservation line takes about a hundred bytes, so this is millions of them,
// and one line of any length the format allows still reads (as a line that does not parse).
inline constexpr std::size_t kMaxListFileBytes = std::size_t{1} << 30;

// False (last error set) when the file cannot be opened or read. Only regular files are read: a
// pipe, device or folder fails with ERROR_ACCESS_DENIED without waiting for a writer, and a file
// of more than maxBytes fails with ERROR_FILE_TOO_LARGE; *out is empty after a failure.
bool ReadWholeFile(std::wstring_view path, std::string* out,
                   std::size_t maxBytes = kMaxWholeFileBytes);

// The same for a descriptor open for reading, read from its present position.
bool ReadWholeFd(int fd, std::string* out, std::size_t maxBytes);

}  // namespace platform
