#include "broadcast_sim/byte_writer.h"

#include <cstring>

namespace broadcast_sim {

ByteWriter& ByteWriter::Bytes(std::span<const std::uint8_t> bytes) {
    return Append(bytes.data(), bytes.size());
}

ByteWriter& ByteWriter::Text(std::string_view text) {
    return Append(text.data(), text.size());
}

ByteWriter& ByteWriter::Append(const void* data, std::size_t size) {
    const std::size_t old = bytes_.size();
    bytes_.resize(old + size);
    if (size != 0) std::memcpy(bytes_.data() + old, data, size);
    return *this;
}

}  // namespace broadcast_sim
