// The plug-ins of the viewer: every shared library beside the executable that exports
// GetIface2, each asked for its plug-in object, started with the host and the main window, and
// then given the stream, the tunings and the recording file-name requests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "shared/dtv_plugin.h"

namespace viewer {

class PluginSet {
  public:
    PluginSet();
    ~PluginSet();
    PluginSet(const PluginSet&) = delete;
    PluginSet& operator=(const PluginSet&) = delete;

    // Loads the libraries ("*.so", in name order) of the folder; one that cannot be loaded or
    // has no GetIface2 is unloaded again with a message on stderr.
    void LoadFolder(const std::wstring& folder);

    // Init with the host and kDtvSdkVersion, then CreatePluginWindow for those that accepted.
    void Start(PluginHost* host, platform::HWND window);

    // Any thread; only the started plug-ins are called.
    void OnStreamData(const std::uint8_t* data, std::size_t size);
    void OnChannelChanged(std::uint32_t channel, std::uint32_t service);
    // Asks every started plug-in in turn, each into the same buffer; empty when none answered.
    std::wstring GetRecFileName();

    // Unloads every library, last loaded first; the libraries delete their objects.
    void Unload();

  private:
    struct Loaded {
        std::unique_ptr<platform::DynamicLibrary> library;
        IDTVPlugin* plugin = nullptr;
        bool started = false;
    };
    std::vector<Loaded> plugins_;
};

}  // namespace viewer
