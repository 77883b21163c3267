#include "platform/named_mutex.h"

namespace platform {

NamedMutex NamedMutex::Create(std::string_view name, bool initiallyOwned, bool* alreadyExisted) {
    static const NamedObjectStore store("mutexes");
    NamedMutex mutex;
    bool existed = false;
    mutex.handle_ = store.Create(name, 0, &existed);
    if (!mutex.handle_.Valid()) return mutex;
    mutex.owned_ = initiallyOwned && !existed;
    if (alreadyExisted != nullptr) *alreadyExisted = existed;
    return mutex;
}

}  // namespace platform
