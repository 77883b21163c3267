#include "shared/shared_memory_layouts.h"

#include <algorithm>
#include <cstring>

#include "platform/utf16.h"

namespace shared {

void SetRecordFileName(RecordRequest& request, std::wstring_view name, std::size_t maxUnits) {
    std::fill(std::begin(request.fileName), std::end(request.fileName), u'\0');
    const std::string utf16 = platform::WideToUtf16Le(name);
    std::size_t units = std::min({utf16.size() / 2, maxUnits, kRecordFileNameChars - 1});
    // A surrogate pair that the limit would split is left out whole.
    const auto lastHigh = static_cast<unsigned char>(units > 0 ? utf16[2 * units - 1] : 0);
    if (lastHigh >= 0xD8 && lastHigh <= 0xDB) --units;
    std::memcpy(request.fileName, utf16.data(), units * sizeof(char16_t));
}

std::wstring RecordFileName(const RecordRequest& request) {
    const char16_t* begin = std::begin(request.fileName);
    const char16_t* end = std::find(begin, std::end(request.fileName), u'\0');
    return platform::Utf16LeToWide(
        std::string_view(reinterpret_cast<const char*>(begin), (end - begin) * sizeof(char16_t)));
}

}  // namespace shared
