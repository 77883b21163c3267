// The one debug sink of both programs and the viewer. Each call writes one line: to the file named
// by ORVANDEL_DEBUG_LOG (appended), otherwise to stderr. Trailing CR/LF of the text are folded into
// the line end.
#pragma once

#include <string_view>

namespace platform {

void OutputDebugStringW(std::wstring_view text);

}  // namespace platform
