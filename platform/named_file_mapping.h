// Named file mappings ("Global\..." page-file-backed sections) with their Windows lifetime: an
// object lives while any handle to it is open in any process of the user; creating a name that
// another holder keeps open yields that object and says it already existed; the last close, or
// the death of the last holder, frees the name. Names are per user and per ORVANDEL_NAMESPACE.
//
// Beyond Windows: a handle tells whether this process created the object, and Write and
// ReadNamedMapping pass an object's bytes as one whole, so that a writer may rewrite its object
// in place while readers hold or read it. A Write fills the next of the object's eight copies
// and then names it the current one; a reader copies the current one and keeps the copy unless
// the writer has come round to that copy again meanwhile (seven writes during one read).
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

    bool Valid() const { return base_ != nullptr; }
    // The object's current bytes, as they were when the view was made.
    std::span<std::uint8_t> Bytes() const { return {data_, size_}; }

  private:
    friend class NamedFileMapping;
    friend bool ReadNamedMapping(std::string_view name, std::span<std::uint8_t> out);
    MappedView(std::uint8_t* base, std::size_t mapped, std::size_t size);
    std::uint8_t* Slot(std::uint64_t number) const;
    std::uint64_t& Published() const;
    std::uint64_t& Claimed() const;

    std::uint8_t* base_ = nullptr;  // the whole file
    std::size_t mapped_ = 0;
    std::uint8_t* data_ = nullptr;  // the current copy
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
    std::size_t Size() const { return handle_.DataSize(); }
    // Maps the whole object; an invalid view on failure or when writing a read-only handle.
    MappedView Map(bool writable) const;
    // True when this process created the object (Windows does not tell).
    bool CreatedByThisProcess() const { return handle_.CreatedByThisProcess(); }
    // Writes `bytes` at the start of the object and zeros after them as one whole: a reader
    // through ReadNamedMapping sees the object before or after, never in between. Writes through
    // Map change the current copy in place and take no part in this. Only one process writes an
    // object this way; its threads take turns. The view stays mapped for the next write. False
    // for a read-only handle or bytes longer than the object.
    bool Write(std::span<const std::uint8_t> bytes);
    void Close();

  private:
    NamedObjectHandle handle_;
    bool writable_ = false;
    MappedView writeView_;
};

// Copies `out.size()` bytes from the start of the named object. False (out unchanged) when the
// object does not exist, is smaller, cannot be mapped, or its writer overtakes every copy
// attempted within 100 ms.
bool ReadNamedMapping(std::string_view name, std::span<std::uint8_t> out);

}  // namespace platform
