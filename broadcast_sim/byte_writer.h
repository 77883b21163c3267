// Big-endian building of section and descriptor bytes, the writing side of broadcast/ByteReader.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace broadcast_sim {

class ByteWriter {
  public:
    ByteWriter& U8(std::uint32_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    ByteWriter& U16(std::uint32_t v) { return U8(v >> 8).U8(v); }
    ByteWriter& U24(std::uint32_t v) { return U8(v >> 16).U16(v); }
    ByteWriter& U32(std::uint32_t v) { return U16(v >> 16).U16(v); }
    ByteWriter& Bytes(std::span<const std::uint8_t> bytes);
    // Raw bytes of a narrow string (ARIB or ASCII text), without a terminator.
    ByteWriter& Text(std::string_view text);
    // A u8 length and the bytes.
    ByteWriter& LengthPrefixed(std::span<const std::uint8_t> bytes) {
        return U8(CheckedLength(bytes.size(), 0xFF)).Bytes(bytes);
    }
    ByteWriter& LengthPrefixed(std::string_view text) {
        return U8(CheckedLength(text.size(), 0xFF)).Text(text);
    }
    // descriptor_tag, descriptor_length and the body.
    ByteWriter& Descriptor(std::uint8_t tag, std::span<const std::uint8_t> body) {
        return U8(tag).LengthPrefixed(body);
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }
    std::size_t size() const { return bytes_.size(); }

    static std::uint32_t CheckedLength(std::size_t size, std::size_t max) {
        if (size > max) throw std::length_error("field too long for its length");
        return static_cast<std::uint32_t>(size);
    }

  private:
    ByteWriter& Append(const void* data, std::size_t size);

    std::vector<std::uint8_t> bytes_;
};

}  // namespace broadcast_sim
