// Snapshots of the running processes, from /proc, and the comparison of image names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace platform {

struct ProcessEntry {
    DWORD processId = 0;
    DWORD parentProcessId = 0;
    // The executable's file name without folder ("FriioView"); for processes whose executable
    // cannot be read (another user's, kernel threads) the kernel's short name.
    std::wstring imageName;
};

// Every live process of the calling user in the caller's ORVANDEL_NAMESPACE, in ascending id
// order: as with windows and named objects, the processes that another namespace started (a test
// world beside this one) are not seen, and a program without a namespace sees those started
// without one. Processes of other users, and those whose environment cannot be read, are never
// seen: they are not this user's to count, close or end. The caller itself is always in. Processes
// that have ended but are not reaped yet (zombies) are left out: the timer, looking for a running
// viewer, must not count them.
std::vector<ProcessEntry> TakeProcessSnapshot();

// The process of that id as a snapshot would hold it; nullopt when a snapshot would not hold it.
// Looking at one process reads only its own files, where a snapshot reads every process's.
std::optional<ProcessEntry> FindProcess(DWORD processId);

// Whether a process of that snapshot has one of the image names (compared as ImageNamesEqual).
// Cheaper than looking through a snapshot: a process whose name matches none is read no further.
bool IsProcessRunning(const std::vector<std::wstring>& imageNames);

// Image names compare without regard to case and without a trailing ".exe", so the timer's
// "FriioView.exe" matches the executable "FriioView".
bool ImageNamesEqual(std::wstring_view a, std::wstring_view b);

}  // namespace platform
