// The viewer's side of the plug-in interface. Every operation may come from any thread: tuning
// and closing are posted to the main window and carried out there, in order with the window's
// other messages; the status is read from the tuner and the recording as they are.
#pragma once

#include "shared/dtv_plugin.h"
#include "viewer/recorder.h"
#include "viewer/tuner.h"
#include "viewer/viewer_settings.h"

namespace viewer {

// Private messages of the main window: tune (wParam channel value) and select a service
// (wParam service_id).
inline constexpr platform::UINT WM_VIEWER_TUNE = 0x8001;
inline constexpr platform::UINT WM_VIEWER_SELECT_SERVICE = 0x8002;

// Whether a tuner of the kind can receive the channel value.
bool CanReceive(TunerKind kind, std::uint32_t channel);

class ViewerHost : public PluginHost {
  public:
    ViewerHost(platform::HWND window, const DeviceSettings& device, const Tuner& tuner,
               const Recorder& recorder)
        : window_(window), device_(device), tuner_(tuner), recorder_(recorder) {}

    // 0 for a channel value this device cannot receive.
    int SetChannel(platform::DWORD channel) override;
    int SetService(platform::WORD serviceId) override;
    int CloseViewer() override;
    int GetStatus(PluginHostStatus* status) override;

  private:
    platform::HWND window_;
    DeviceSettings device_;
    const Tuner& tuner_;
    const Recorder& recorder_;
};

}  // namespace viewer
