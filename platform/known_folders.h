// Folders the programs look up: the user's Documents folder (where the timer and the plug-in
// keep their data) and the host executable's path (where the viewer keeps its plug-ins).
#pragma once

#include <string>

#include "platform/win_types.h"

namespace platform {

// The user's Documents folder (what Windows calls CSIDL_PERSONAL): XDG_DOCUMENTS_DIR from
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), else $HOME/Documents. Windows always has
// this folder; Linux may not, so it is created when missing. No trailing separator.
std::wstring GetDocumentsFolder();

// The configuration folder: $XDG_CONFIG_HOME when absolute, else $HOME/.config.
std::wstring GetConfigFolder();

// The full path of the executable of the calling process (/proc/self/exe), also when called from
// inside a plug-in library.
std::wstring HostExecutablePath();

// Windows' GetModuleFileNameW with no module (the only form our callers use): copies the host
// executable's path, cut to size - 1 characters and terminated; returns the characters copied
// (size when it was cut, with ERROR_INSUFFICIENT_BUFFER), 0 on failure.
using HMODULE = void*;
DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size);

}  // namespace platform
