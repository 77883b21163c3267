// Windows command lines: split as the Microsoft C runtime splits them into argv, and quoted so
// that they split back into the same arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The whole command line: the first token by the program-name rule (up to the next quote when
// it starts with one, else up to the first blank; no escapes; empty when the line starts with a
// blank), the rest by the argument rules below.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// Arguments only: blanks separate; quotes group and are removed; 2n backslashes before a quote
// become n and the quote groups, 2n+1 become n and a literal quote; "" inside a quoted group is
// a literal quote; other backslashes are literal.
std::vector<std::wstring> SplitArguments(std::wstring_view arguments);

// One argument, quoted when it needs to be, so that SplitArguments gives it back unchanged.
std::wstring QuoteArgument(std::wstring_view argument);

}  // namespace platform
