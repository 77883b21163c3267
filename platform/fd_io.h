// Whole reads, whole writes and locks on file descriptors; reads and writes are retried when a
// signal interrupts them. Locks that other processes may hold are never waited for without
// bound: a process stopped while it holds one (SIGSTOP, a debugger, swapped out) must not stop
// the others.
#pragma once

#include <sys/types.h>

#include <chrono>
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

// flock(2) (LOCK_SH or LOCK_EX) waiting at most `limit`: 0, or -1 with errno (EWOULDBLOCK when
// another holder kept it that long).
int FlockWithin(int fd, int operation, std::chrono::milliseconds limit);

// A write lock of one byte of the file, held by this open file description until it is closed
// or the byte unlocked (a lock per object on one shared file); waits at most `limit`.
bool LockByteWithin(int fd, off_t byte, std::chrono::milliseconds limit);
void UnlockByte(int fd, off_t byte);

// Runs `attempt` until it returns true or `limit` has passed, pausing a little longer after each
// failure (from 20 microseconds up to 2 milliseconds); true when an attempt succeeded.
template <typename Attempt>
bool RetryWithin(std::chrono::milliseconds limit, Attempt&& attempt);

namespace fd_io_detail {
// The pause before the next attempt, or false when the limit has passed.
bool PauseBeforeRetry(std::chrono::steady_clock::time_point deadline,
                      std::chrono::microseconds* pause);
}  // namespace fd_io_detail

template <typename Attempt>
bool RetryWithin(std::chrono::milliseconds limit, Attempt&& attempt) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::chrono::microseconds pause(20);
    for (;;) {
        if (attempt()) return true;
        if (!fd_io_detail::PauseBeforeRetry(deadline, &pause)) return false;
    }
}

}  // namespace platform
