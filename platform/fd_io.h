// Whole reads, whole writes and blocking locks on file descriptors, each retried when a signal
// interrupts it.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace platform {

// Appends everything up to the end of the file to *out; false (errno set) on a read error, or
// with errno EFBIG once more than maxBytes would be appended.
bool ReadAllFromFd(int fd, std::string* out,
                   std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// Writes every byte; false (errno set, ENOSPC when the file takes no more) otherwise.
bool WriteAllToFd(int fd, std::string_view bytes);

// flock(2); 0 or -1 with errno.
int FlockRetrying(int fd, int operation);

}  // namespace platform
