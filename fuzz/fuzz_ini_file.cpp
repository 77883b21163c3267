// The viewer's channel lists as the plug-in reads them: any bytes load without a fault, every
// section is found under its own name, and no name keeps a bracket.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "platform/paths.h"
#include "shared/ini_file.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/fuzz-ini-XXXXXX";
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/channels.ini";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    shared::IniFile ini;
    const int loaded = ini.Load(platform::FromNativePath(path));
    if (loaded != (size == 0 ? 0 : 1)) __builtin_trap();
    for (const auto& [name, section] : ini.sections()) {
        if (ini.FindSection(name) != &section || section.name != name) __builtin_trap();
        if (name.find_first_of(L"[]") != std::wstring::npos) __builtin_trap();
        for (const auto& pair : section.pairs) {
            if (pair.first.find(L'=') != std::wstring::npos) __builtin_trap();
        }
    }
    return 0;
}
