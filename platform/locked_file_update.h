// Read-modify-write of a file that several threads or processes change at once (ini files, the
// registry file): the file is locked, its current content handed to `update`, the result written
// with WriteFileAtomically, then the lock released. Two writers changing different keys of one
// file therefore lose neither change. Readers need no lock: they see the old or the new file.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/whole_file.h"
#include "platform/win_types.h"

namespace platform {

// Given the current bytes (empty for a missing file), the new bytes, or nullopt to leave the
// file as it was.
using FileUpdate = std::function<std::optional<std::string>(std::string_view current)>;

// TRUE when the update was written or declined; FALSE (last error set) when the file could not
// be locked (ERROR_SHARING_VIOLATION when another writer kept the lock for 5 seconds: it was
// stopped), read or written. The current file is read as ReadWholeFile reads it: a path that
// names no regular file (a pipe, a device) or a file of more than maxBytes is neither read nor
// replaced, and `update` is not called. A missing file is created by the write; one that
// `update` declines is not left behind.
BOOL UpdateFileLocked(std::wstring_view path, const FileUpdate& update,
                      std::size_t maxBytes = kMaxWholeFileBytes);

}  // namespace platform
