#include "shared/shared_memory_names.h"

#include <cstdio>

namespace shared {

std::string ObjectNameForProcess(std::string_view prefix, platform::DWORD pid) {
    // Large enough for every 32-bit id.
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06u", pid);
    std::string name(prefix);
    name += digits;
    return name;
}

}  // namespace shared
