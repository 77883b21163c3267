// The library's one export.
#include <dlfcn.h>

#include "shared/dtv_plugin.h"
#include "capture_plugin/friio_quorvantel_app.h"

namespace {

// The library's own load address, as the module instance handle.
void* ModuleInstance() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&GetIface2), &info) == 0) return nullptr;
    return info.dli_fbase;
}

}  // namespace

extern "C" DTV_PLUGIN_EXPORT int GetIface2(platform::DWORD /*reserved*/, IDTVPlugin** plugin) {
    capture_plugin::CQuorvantel* created = capture_plugin::TheApp().CreatePlugin(ModuleInstance());
    if (plugin != nullptr) *plugin = created;
    return 1;
}
