#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/utf8.h"

namespace platform {

void OutputDebugStringW(std::wstring_view text) {
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.remove_suffix(1);
    std::string line = WideToUtf8(text);
    line.push_back('\n');

    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    const char* path = std::getenv("ORVANDEL_DEBUG_LOG");
    if (path != nullptr && *path != '\0') {
        if (std::FILE* f = std::fopen(path, "ab")) {
            std::fwrite(line.data(), 1, line.size(), f);
            std::fclose(f);
            return;
        }
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace platform
