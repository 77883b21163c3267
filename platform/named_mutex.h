// Named mutexes as the timer's single-instance guard uses them: the object exists while a live
// process holds a handle to it, and goes away however its last holder ends (the lock behind it is
// released by the kernel at exit, crash or SIGKILL).
#pragma once

#include <string_view>

#include "platform/named_object_store.h"

namespace platform {

class NamedMutex {
  public:
    NamedMutex() = default;

    // CreateMutex: opens the live mutex of that name or creates it, owned by the caller when
    // `initiallyOwned` and it is new. `*alreadyExisted` tells whether another holder had it.
    static NamedMutex Create(std::string_view name, bool initiallyOwned, bool* alreadyExisted);

    bool Valid() const { return handle_.Valid(); }
    bool Owned() const { return owned_; }
    void Close() {
        handle_.Close();
        owned_ = false;
    }

  private:
    NamedObjectHandle handle_;
    bool owned_ = false;
};

}  // namespace platform
