// Program.txt, the reservation file in <documents>/Orvandel, as the main window and the program's
// start find it before they read it.
#pragma once

#include <string>
#include <string_view>

namespace timer_ui {

// <documents>/Orvandel/Program.txt
std::wstring ProgramFilePath(std::wstring_view documentsFolder);

// True when the file can be opened for reading; a missing file is created empty first (with its
// folder). A file that exists but cannot be read is left as it is, never emptied: false then.
bool EnsureProgramFile(std::wstring_view documentsFolder);

}  // namespace timer_ui
