#include "capture_plugin/friio_quorvantel_app.h"

namespace capture_plugin {

Cfriio_QuorvantelApp& TheApp() {
    static Cfriio_QuorvantelApp app;
    return app;
}

namespace {
// Constructed at library load.
[[maybe_unused]] Cfriio_QuorvantelApp& kLoadedApp = TheApp();
}  // namespace

int Cfriio_QuorvantelApp::ExitInstance() {
    std::vector<std::unique_ptr<CQuorvantel>> plugins;
    {
        std::lock_guard lock(lock_);
        plugins.swap(plugins_);
    }
    while (!plugins.empty())
        plugins.pop_back();
    return 0;
}

CQuorvantel* Cfriio_QuorvantelApp::CreatePlugin(void* moduleInstance) {
    auto plugin = std::make_unique<CQuorvantel>(moduleInstance);
    CQuorvantel* result = plugin.get();
    std::lock_guard lock(lock_);
    plugins_.push_back(std::move(plugin));
    return result;
}

}  // namespace capture_plugin
