// The plug-in object behind the viewer's IDTVPlugin: it keeps the viewer's host interface and
// window and owns the plug-in window, through which every call reaches the capture.
#pragma once

#include <string>

#include "shared/dtv_plugin.h"
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

class CQuorvantel : public IDTVPlugin {
  public:
    explicit CQuorvantel(void* moduleInstance,
                         std::wstring hostFolder = CQuorvantelDlg::HostFolder())
        : moduleInstance_(moduleInstance), dlg_(std::move(hostFolder)) {}
    ~CQuorvantel() override = default;

    // Accepts an SDK version whose second byte is 4 or more and whose third byte is not 0;
    // refuses any other with the message box "Wrong SDK Version" and returns 0.
    int Init(PluginHost* host, platform::DWORD sdkVersion) override;
    int CreatePluginWindow(platform::HWND hostWindow) override;
    int OnStreamData(const platform::BYTE* data, platform::DWORD size) override;
    int OnChannelChanged(platform::DWORD channel, platform::DWORD service) override;
    int GetRecFileName(wchar_t* path, platform::DWORD bufferChars) override;

    void* ModuleInstance() const { return moduleInstance_; }
    CQuorvantelDlg& Window() { return dlg_; }

  private:
    void* moduleInstance_ = nullptr;
    PluginHost* host_ = nullptr;
    platform::HWND hostWindow_ = 0;
    CQuorvantelDlg dlg_;
};

// Whether IDTVPlugin::Init accepts the viewer's SDK version.
bool IsSupportedSdkVersion(platform::DWORD sdkVersion);

}  // namespace capture_plugin
