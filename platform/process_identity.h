// Who a process is, beyond its id: ids are reused, so a process is named by its id together with
// the moment it started. Used to tell live owners of named objects and windows from dead ones.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

// The start time of a live process (clock ticks since boot, from /proc); 0 when the process does
// not exist or has ended (a zombie counts as ended).
std::uint64_t ProcessStartTime(DWORD pid);

// The calling process's start time, read once.
std::uint64_t OwnStartTime();

// True while the process with this id is the one that started at `startTime`.
bool IsProcessAlive(DWORD pid, std::uint64_t startTime);

// The process a thread id belongs to; 0 when no such thread exists.
DWORD ProcessOfThread(DWORD tid);

// CLOCK_MONOTONIC in milliseconds: one time line for all processes of the machine.
std::uint64_t MonotonicMs();

}  // namespace platform
