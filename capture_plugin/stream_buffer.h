// One chunk of the viewer's transport stream, copied when the viewer hands it over and freed when
// the capture worker has walked it.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/win_types.h"

namespace capture_plugin {

struct StreamBuffer {
    std::unique_ptr<platform::BYTE[]> data;  // owned copy
    std::uint32_t length = 0;

    // A block of `size` bytes holding a copy of the chunk.
    static std::unique_ptr<StreamBuffer> Copy(const platform::BYTE* bytes, platform::DWORD size);
};

}  // namespace capture_plugin
