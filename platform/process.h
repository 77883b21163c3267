// Starting, waiting for and ending processes. Programs are started directly (posix_spawn), never
// through a shell. Every child the layer starts is reaped by the layer as soon as it ends, so
// none stays a zombie; callers never call waitpid themselves.
#pragma once

#include <string_view>

#include "platform/win_types.h"

namespace platform {

// Windows' CreateProcessW as the timer and the plug-in call it (default start-up information, no
// inherited handles, the inherited environment). The command line splits by Windows rules
// (platform/command_line.h); its first token is the program name the child would see.
// - applicationName given: that program runs with the arguments after the first token (the
//   system's tails begin with a blank, so all of them are arguments).
// - applicationName empty: the program is the first token; an unquoted path with blanks is
//   tried word by word as Windows does ("/opt/my viewer/view a" finds "/opt/my viewer/view").
// A program path ending in ".exe" that does not exist is tried without it. A relative program
// path counts from the caller's folder; a bare name is also looked up in PATH. The child starts
// in currentDirectory (empty: the caller's). TRUE with the child's id, or FALSE (last error set)
// when it could not be started.
BOOL CreateProcessW(std::wstring_view applicationName, std::wstring_view commandLine,
                    std::wstring_view currentDirectory, DWORD* processId);

// Ends the process at once (SIGKILL). The exit code cannot be passed on Linux: the process ends
// by the signal. FALSE when there is no such process or it may not be signalled.
BOOL TerminateProcess(DWORD processId, UINT exitCode);

// Waits, in clock time, until the process has ended: WAIT_OBJECT_0 (also when it does not
// exist), or WAIT_TIMEOUT. Works for any process of the user, child or not.
DWORD WaitForProcess(DWORD processId, DWORD milliseconds);

// The exit code of a child started by CreateProcessW: STILL_ACTIVE while it runs, its exit
// status once it has ended (128 + the signal number when a signal ended it). FALSE for a
// process the layer did not start, or one whose end was long ago (the last 64 are kept).
inline constexpr DWORD STILL_ACTIVE = 259;
BOOL GetExitCodeProcess(DWORD processId, DWORD* exitCode);

DWORD GetCurrentProcessId();

}  // namespace platform
