// Where the named objects of this user (and of the ORVANDEL_NAMESPACE, when set) live: named
// objects, message sockets, thread activity, the window registry. Windows keeps these in the
// kernel; here they are files, so the folder must be the user's alone: every level is a real
// folder (not a symbolic link) owned by this user with mode 0700, checked at every call, and the
// files below it are 0600, whatever the umask.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The namespace given by ORVANDEL_NAMESPACE, or empty.
std::string CurrentNamespace();
// The namespace that a value of ORVANDEL_NAMESPACE names (what CurrentNamespace gives for it).
std::string NamespaceFromValue(std::string_view value);

// $XDG_RUNTIME_DIR/orvandel[/<namespace>], created on first use. Without XDG_RUNTIME_DIR:
// <temp>/orvandel-<uid>[/<namespace>] (<temp>: $TMPDIR or /tmp), or, when that one is refused,
// <cache>/orvandel-runtime[/<namespace>] (<cache>: $XDG_CACHE_HOME or $HOME/.cache), a place no
// other user can take. A level is refused when it cannot be trusted: the top folder existed
// already and is a symbolic link, not a folder, another user's or not mode 0700 (another user may
// have made it first to read or forge what lies in it). Each refusal is written to the debug
// output once per folder and reason. Empty when no place can be used; `refusal` then gets a line
// "<folder>: <reason>" for each folder refused, for the user to be told why a program cannot
// start.
std::filesystem::path RuntimeFolder(std::wstring* refusal = nullptr);

// RuntimeFolder()/<kind>, created and checked the same way (a level below the top folder that has
// another mode is set to 0700); empty when refused.
std::filesystem::path RuntimeSubfolder(std::string_view kind);

// True the first time this process asks about `folder`: what ended processes left in a folder is
// swept once per process, at its first use there.
bool FirstUseInProcess(const std::filesystem::path& folder);

// Opens a file below the runtime folder with `flags` (O_CREAT among them to create it) and gives
// it mode 0600 whatever the umask; -1 (errno set) on failure. The descriptor is close-on-exec.
int OpenPrivateFile(const std::filesystem::path& path, int flags);

}  // namespace platform
