// For fuzz targets whose reader takes a path: the input written to a file of a private folder.
#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "platform/paths.h"

// Writes the input to <private folder>/<name> and returns the path.
inline std::wstring WriteFuzzInput(const char* name, const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        std::string pattern = "/tmp/fuzz-input-XXXXXX";
        return std::string(::mkdtemp(pattern.data()));
    }();
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return platform::FromNativePath(path);
}
