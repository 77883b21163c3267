#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include "platform/paths.h"
#include "platform/utf8.h"

namespace platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(std::wstring_view path, std::wstring* error) {
    void* handle = ::dlopen(ToNativePath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) *error = Utf8ToWide(::dlerror());
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
    if (!keep_) ::dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const {
    return ::dlsym(handle_, name);
}

}  // namespace platform
