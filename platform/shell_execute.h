// Windows' ShellExecuteW for the verb "open", the only one our callers use: an executable file
// is started directly (with the parameters split by Windows rules, in the given folder);
// anything else (a document, a folder, a URL) is handed to xdg-open, the desktop's "open".
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

inline constexpr std::intptr_t SE_ERR_FNF = 2;
inline constexpr std::intptr_t SE_ERR_NOASSOC = 31;

// Above 32 on success; SE_ERR_FNF when the file does not exist (a URL is not checked),
// SE_ERR_NOASSOC for another verb or when nothing could be started. The window and show
// command are accepted and not used (the started program shows itself).
std::intptr_t ShellExecuteW(HWND window, const wchar_t* operation, const wchar_t* file,
                            const wchar_t* parameters, const wchar_t* directory, int showCommand);

}  // namespace platform
