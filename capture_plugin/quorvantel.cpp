#include "capture_plugin/quorvantel.h"

#include "ui/message_box.h"

namespace capture_plugin {

bool IsSupportedSdkVersion(platform::DWORD sdkVersion) {
    return (sdkVersion & 0xFF00) >= 0x0400 && (sdkVersion & 0xFF0000) != 0;
}

int CQuorvantel::Init(PluginHost* host, platform::DWORD sdkVersion) {
    if (!IsSupportedSdkVersion(sdkVersion)) {
        ui::MessageBox(0, L"Wrong SDK Version", L"Error", ui::MB_ICONERROR);
        return 0;
    }
    host_ = host;
    dlg_.SetHost(host);
    if (host != nullptr) {
        PluginHostStatus status;
        host->GetStatus(&status);
        dlg_.StorePolledStatus(status);
    }
    return 1;
}

int CQuorvantel::CreatePluginWindow(platform::HWND hostWindow) {
    hostWindow_ = hostWindow;
    dlg_.Create(hostWindow);
    dlg_.ShowWindow(ui::SW_SHOW);
    dlg_.SetHostWindow(hostWindow);
    dlg_.LoadChannelList();
    dlg_.UpdateData(false);
    return 1;
}

int CQuorvantel::OnStreamData(const platform::BYTE* data, platform::DWORD size) {
    dlg_.EnqueueStream(data, size);
    return 1;
}

int CQuorvantel::OnChannelChanged(platform::DWORD channel, platform::DWORD service) {
    dlg_.OnChannelChanged(channel, service);
    return 1;
}

int CQuorvantel::GetRecFileName(wchar_t* path, platform::DWORD bufferChars) {
    dlg_.GetRecFileName(path, bufferChars);
    return 1;
}

}  // namespace capture_plugin
