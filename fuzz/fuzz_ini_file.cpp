// The viewer's channel lists as the plug-in reads them: any bytes load without a fault, every
// section is found under its own name, and no name keeps a bracket.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input_file.h"
#include "shared/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    shared::IniFile ini;
    const int loaded = ini.Load(WriteFuzzInput("channels.ini", data, size));
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
