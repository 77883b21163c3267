// How the layer keeps Windows share modes between processes: every open through the layer
// records, as shared open-file-description locks on bytes far beyond any data, which access it
// has and which it refuses to share; a new open first looks for conflicting records. The look
// and the recording happen under a short exclusive flock, so two opens never pass each other.
// Unlike Windows, an open whose look cannot begin within a second (another process was stopped
// in the middle of its own) is refused like a sharing violation.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace platform {

// Checks the access wanted against the records of other opens of the file and records this
// open's own. False (nothing recorded) when Windows would refuse with a sharing violation. The
// descriptor must be open for reading when records are to be kept (see file_handle.cpp).
bool AcquireShareMode(int fd, DWORD desiredAccess, DWORD shareMode);

// Deletes the file that fd is open on (by its path) unless an open through the layer refuses to
// share deletion: 0, EBUSY for such a refusal (or when the look cannot begin within a second),
// else the errno of the deletion.
int UnlinkIfDeletionShared(int fd, const std::string& nativePath);

}  // namespace platform
