// The one routine that replaces a file whole (ini files, the registry file, Program.txt,
// AutoSearch.txt, ChSet.txt, ChSet2.txt, the EPG data copy): the new content is written to a
// temporary file beside the target, flushed to disk, and renamed over the target, then the
// folder is flushed. A crash or kill at any instant leaves either the old file or the new one,
// never a half-written one; readers keep reading by path as before. An existing target keeps its
// permission bits.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

// TRUE when the file now holds exactly `bytes`; FALSE (last error set, target untouched) when
// the folder is missing or not writable or the disk is full.
BOOL WriteFileAtomically(std::wstring_view path, std::string_view bytes);

}  // namespace platform
