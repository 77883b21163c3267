#include "capture_plugin/stream_buffer.h"

#include <cstring>

namespace capture_plugin {

std::unique_ptr<StreamBuffer> StreamBuffer::Copy(const platform::BYTE* bytes,
                                                 platform::DWORD size) {
    auto buffer = std::make_unique<StreamBuffer>();
    // Every byte is copied over: no need to zero the block first.
    buffer->data = std::make_unique_for_overwrite<platform::BYTE[]>(size);
    std::memcpy(buffer->data.get(), bytes, size);
    buffer->length = size;
    return buffer;
}

}  // namespace capture_plugin
