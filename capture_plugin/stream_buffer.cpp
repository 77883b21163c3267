#include "capture_plugin/stream_buffer.h"

#include <cstring>

namespace capture_plugin {

std::unique_ptr<StreamBuffer> StreamBuffer::Copy(const platform::BYTE* bytes,
                                                 platform::DWORD size) {
    auto buffer = std::make_unique<StreamBuffer>();
    buffer->data = std::make_unique<platform::BYTE[]>(size);
    std::memcpy(buffer->data.get(), bytes, size);
    buffer->length = size;
    return buffer;
}

}  // namespace capture_plugin
