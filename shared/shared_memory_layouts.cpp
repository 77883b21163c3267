#include "shared/shared_memory_layouts.h"

#include <algorithm>

namespace shared {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

void SetRecordFileName(RecordRequest& request, std::wstring_view name, std::size_t maxUnits) {
    std::fill(std::begin(request.fileName), std::end(request.fileName), u'\0');
    maxUnits = std::min(maxUnits, kRecordFileNameChars - 1);
    std::size_t used = 0;
    for (const wchar_t wide : name) {
        auto c = static_cast<char32_t>(wide);
        if (c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) c = kReplacement;
        if (c >= 0x10000) {
            if (used + 2 > maxUnits) break;
            c -= 0x10000;
            request.fileName[used++] = static_cast<char16_t>(0xD800 + (c >> 10));
            request.fileName[used++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            if (used + 1 > maxUnits) break;
            request.fileName[used++] = static_cast<char16_t>(c);
        }
    }
}

std::wstring RecordFileName(const RecordRequest& request) {
    std::wstring name;
    for (std::size_t i = 0; i < kRecordFileNameChars && request.fileName[i] != 0; ++i) {
        const char32_t unit = request.fileName[i];
        const char32_t next = i + 1 < kRecordFileNameChars ? request.fileName[i + 1] : 0;
        if (IsHighSurrogate(unit) && IsLowSurrogate(next)) {
            name.push_back(
                static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)));
            ++i;
        } else {
            name.push_back(static_cast<wchar_t>(
                IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit));
        }
    }
    return name;
}

}  // namespace shared
