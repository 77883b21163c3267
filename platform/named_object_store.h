// Named objects of the user with the lifetime of Windows kernel objects: an object is a file in a
// folder of the runtime folder, and every open handle, in any process, holds a shared lock on it.
// An object without a locked holder is gone: a creator or opener that finds such a file (left by
// a process killed with SIGKILL) removes it. Creation, opening and the last close are serialised
// by a lock on the folder, so "already existed" is decided atomically. Files are private (0600).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/owned_fd.h"

namespace platform {

// One open handle to a named object.
class NamedObjectHandle {
  public:
    NamedObjectHandle() = default;
    NamedObjectHandle(NamedObjectHandle&& other) noexcept = default;
    NamedObjectHandle& operator=(NamedObjectHandle&& other) noexcept;
    ~NamedObjectHandle();

    bool Valid() const { return fd_.Valid(); }
    int Fd() const { return fd_.Get(); }
    // Closes the handle; the last holder's close removes the object's name.
    void Close();

  private:
    friend class NamedObjectStore;
    OwnedFd fd_;
    std::filesystem::path path_;
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
    std::filesystem::path Folder() const;
    // Opens the live object, or creates it when a size is given.
    NamedObjectHandle Acquire(std::string_view name, int openFlags,
                              std::optional<std::size_t> createSize, bool* alreadyExisted) const;
    std::string kind_;
};

}  // namespace platform
