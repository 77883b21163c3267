// A shared library loaded at run time: the viewer's plug-ins, as Windows' LoadLibraryW,
// GetProcAddress and FreeLibrary load a DLL. The library's constructors run on the loading
// thread, its destructors on the thread that destroys the object.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class DynamicLibrary {
  public:
    // Loads the library with every symbol resolved at once; nullptr, with the loader's message
    // in *error, when it cannot be loaded.
    static std::unique_ptr<DynamicLibrary> Load(std::wstring_view path, std::wstring* error);
    // Unloads it (once no other load of the same file holds it).
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The exported symbol's address, or nullptr.
    void* Symbol(const char* name) const;

    // The library stays loaded until the process ends, whatever becomes of this object.
    void KeepLoaded() { keep_ = true; }

  private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_;
    bool keep_ = false;
};

}  // namespace platform
