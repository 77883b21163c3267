// The registry file: any bytes parse, and what is written back reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::RegistryData registry = platform::RegistryData::Parse(bytes);
    registry.SetValue(L"Software\\Friio",
                      platform::RegistryValue{L"Raw", platform::REG_BINARY, std::string(bytes)});
    const std::string once = registry.Serialize();
    if (platform::RegistryData::Parse(once).Serialize() != once) __builtin_trap();
    return 0;
}
