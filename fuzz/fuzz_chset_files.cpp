// ChSet.txt and ChSet2.txt as the plug-in and the timer read them: any bytes load without a
// fault, and what is saved loads back with the same names, keys and numbers.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "platform/paths.h"
#include "shared/ch_set2_file.h"
#include "shared/ch_set_file.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/fuzz-chset-XXXXXX";
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

std::wstring WriteInput(const char* name, const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return platform::FromNativePath(path);
}

void CheckChSet(const std::wstring& path) {
    shared::ChSetFile file;
    if (file.Load(path) != 1) __builtin_trap();
    const std::wstring saved = path + L".saved";
    if (file.Save(saved) != 1) __builtin_trap();
    shared::ChSetFile again;
    if (again.Load(saved) != 1 || again.entries() != file.entries()) __builtin_trap();
}

void CheckChSet2(const std::wstring& path) {
    shared::ChSet2File file;
    if (file.Load(path) != 1) __builtin_trap();
    const std::wstring saved = path + L".saved";
    if (file.Save(saved) != 1) __builtin_trap();
    shared::ChSet2File again;
    if (again.Load(saved) != 1 || again.entries().size() != file.entries().size()) __builtin_trap();
    for (const auto& [key, entry] : file.entries()) {
        const auto it = again.entries().find(key);
        if (it == again.entries().end() || it->second.channel != entry.channel ||
            it->second.serviceId != entry.serviceId ||
            it->second.transportStreamId != entry.transportStreamId) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckChSet(WriteInput("ChSet.txt", data, size));
    CheckChSet2(WriteInput("ChSet2.txt", data, size));
    return 0;
}
