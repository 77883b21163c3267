// Ini files as the private-profile calls read and change them: any bytes parse, lookups and
// edits never fail, and a file written back with no change is the same file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::ProfileText text(bytes);
    if (text.Bytes() != bytes) __builtin_trap();
    text.Find(L"SET", L"FriioViewPath");
    text.Set(L"SET", L"TunerCount", L"2");
    if (text.Find(L"set", L"tunercount") != L"2") __builtin_trap();
    text.DeleteKey(L"Set", L"Missing");
    text.DeleteSection(L"CH");
    platform::ProfileText again(text.Bytes());
    if (again.Find(L"SET", L"TunerCount") != L"2") __builtin_trap();
    return 0;
}
