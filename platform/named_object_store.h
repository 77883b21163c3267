// Named objects of the user with the lifetime of Windows kernel objects: an object is a file in a
// folder of the runtime folder, and every open handle, in any process, holds a shared lock on it.
// An object without a locked holder is gone: an opener that finds such a file (left by a process
// killed with SIGKILL) removes it, and the first use of a folder in a process sweeps every such
// file from it; a process that exits normally gives up its objects as it goes.
//
// Each object has its own lock and none is held for longer than a few calls: a new object appears
// under its name with its creator's lock already taken (it is made nameless, then linked), and
// only the last holder on its way out, or an opener removing a dead object, holds the exclusive
// lock that keeps others from joining. Whoever finds an object in that state tries again for at
// most a second, then fails; a process stopped at that instant holds up that one object only.
//
// Unlike Windows, an object records which process created it (see CreatedByThisProcess).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/owned_fd.h"

namespace platform {

// The layout of an object file: kSlots copies of the object's bytes, each at a 64-byte boundary,
// then this trailer: who made the object, how big its bytes are, and the numbers with which
// writers and readers of a mapping pass whole values without a lock (named_file_mapping.h).
struct NamedObjectTrailer {
    static constexpr std::uint32_t kMagic = 0x4A424F4F;  // "OOBJ"
    static constexpr std::size_t kSlots = 8;
    static constexpr std::size_t SlotStride(std::size_t dataSize) {
        return (dataSize + 63) / 64 * 64;
    }
    static constexpr std::size_t Offset(std::size_t dataSize) {
        return kSlots * SlotStride(dataSize);
    }

    std::uint32_t magic = kMagic;
    std::uint32_t creatorPid = 0;
    std::uint64_t creatorStart = 0;  // process start time (process_identity.h)
    std::uint64_t dataSize = 0;
    std::uint64_t published = 0;  // the last whole value is in slot published % kSlots
    std::uint64_t claimed = 0;    // values begun; value n is written into slot n % kSlots
};
static_assert(sizeof(NamedObjectTrailer) == 40);

// One open handle to a named object.
class NamedObjectHandle {
  public:
    NamedObjectHandle() = default;
    NamedObjectHandle(NamedObjectHandle&& other) noexcept;
    NamedObjectHandle& operator=(NamedObjectHandle&& other) noexcept;
    ~NamedObjectHandle();

    bool Valid() const { return fd_.Valid(); }
    int Fd() const { return fd_.Get(); }
    // The object's size in bytes; its trailer lies at NamedObjectTrailer::Offset(DataSize()).
    std::size_t DataSize() const { return dataSize_; }
    // True when the process that created the object is this one.
    bool CreatedByThisProcess() const { return ownCreation_; }
    // Closes the handle; the last holder's close removes the object's name.
    void Close();

  private:
    friend class NamedObjectStore;
    OwnedFd fd_;
    std::filesystem::path path_;
    std::size_t dataSize_ = 0;
    bool ownCreation_ = false;
};

// The objects of one kind (a sub-folder of the runtime folder).
class NamedObjectStore {
  public:
    explicit NamedObjectStore(std::string kind) : kind_(std::move(kind)) {}

    // Opens the live object of that name, or creates it with `size` zero bytes. `alreadyExisted`
    // tells which. An invalid handle on failure.
    NamedObjectHandle Create(std::string_view name, std::size_t size, bool* alreadyExisted) const;
    // Opens the live object of that name; an invalid handle when there is none.
    NamedObjectHandle Open(std::string_view name, bool writable) const;

    // The file name of an object name: "Global\" and "Local\" (both per-user here) are dropped,
    // characters outside [A-Za-z0-9._-], and a leading dot, are written as %XX. Empty for a name
    // that cannot be used.
    static std::string FileNameOf(std::string_view name);

  private:
    // Opens the live object, or creates it when a size is given.
    NamedObjectHandle Acquire(std::string_view name, int openFlags,
                              std::optional<std::size_t> createSize, bool* alreadyExisted) const;
    std::string kind_;
};

}  // namespace platform
