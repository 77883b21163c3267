// Named file mappings ("Global\..." page-file-backed sections) with their Windows lifetime: an
// object lives while any handle to it is open in any process of the user; creating a name that
// another holder keeps open yields that object and says it already existed; the last close, or
// the death of the last holder, frees the name. Names are per user and per ORVANDEL_NAMESPACE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/named_object_store.h"

namespace platform {

// A mapped view of a mapping; unmapped with the object.
class MappedView {
  public:
    MappedView() = default;
    MappedView(MappedView&& other) noexcept;
    MappedView& operator=(MappedView&& other) noexcept;
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    ~MappedView();

    bool Valid() const { return data_ != nullptr; }
    std::span<std::uint8_t> Bytes() const { return {data_, size_}; }

  private:
    friend class NamedFileMapping;
    MappedView(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

class NamedFileMapping {
  public:
    NamedFileMapping() = default;

    // Creates the mapping with `size` zero bytes, read/write. When a live object of that name
    // exists, the handle refers to it and `*alreadyExisted` is true. Invalid on failure.
    static NamedFileMapping Create(std::string_view name, std::size_t size, bool* alreadyExisted);
    // Opens an existing mapping; invalid when no live object has that name.
    static NamedFileMapping OpenForReading(std::string_view name);

    bool Valid() const { return handle_.Valid(); }
    // The object's size in bytes (0 for an invalid handle).
    std::size_t Size() const;
    // Maps the whole object; an invalid view on failure or when writing a read-only handle.
    MappedView Map(bool writable) const;
    void Close() { handle_.Close(); }

  private:
    NamedObjectHandle handle_;
    bool writable_ = false;
};

// Copies `out.size()` bytes from the start of the named object. False (out unchanged) when the
// object does not exist, is smaller, or cannot be mapped.
bool ReadNamedMapping(std::string_view name, std::span<std::uint8_t> out);

}  // namespace platform
