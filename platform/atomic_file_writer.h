// The one routine that replaces a file whole (ini files, the registry file, Program.txt,
// AutoSearch.txt, ChSet.txt, ChSet2.txt, the EPG data copy): the new content is written to a
// temporary file beside the target, flushed to disk, and renamed over the target, then the
// folder is flushed. A crash or kill at any instant leaves either the old file or the new one,
// never a half-written one; readers keep reading by path as before. An existing target keeps its
// permission bits.
//
// The temporary file is ".<name>.tmp-<pid>-<start time>-<count>": the writer's process id with
// its start time (ProcessStartTime; ids are reused, the pair names one process) and a count within
// the process. A writer killed in the middle leaves its temporary file; the next write of the same
// target removes those whose writer has certainly ended, never one of a live writer.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

// TRUE when the file now holds exactly `bytes`; FALSE (last error set, target untouched) when
// the folder is missing or not writable or the disk is full.
BOOL WriteFileAtomically(std::wstring_view path, std::string_view bytes);

}  // namespace platform
