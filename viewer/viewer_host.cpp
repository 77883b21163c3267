#include "viewer/viewer_host.h"

#include "platform/window_messages.h"

namespace viewer {

bool CanReceive(TunerKind kind, std::uint32_t channel) {
    return (channel > 0xFFFF) == (kind == TunerKind::kBsCs);
}

int ViewerHost::SetChannel(platform::DWORD channel) {
    if (!CanReceive(device_.kind, channel)) return 0;
    return platform::PostMessageW(window_, WM_VIEWER_TUNE, channel, 0) ? 1 : 0;
}

int ViewerHost::SetService(platform::WORD serviceId) {
    return platform::PostMessageW(window_, WM_VIEWER_SELECT_SERVICE, serviceId, 0) ? 1 : 0;
}

int ViewerHost::CloseViewer() {
    return platform::PostMessageW(window_, platform::WM_CLOSE, 0, 0) ? 1 : 0;
}

int ViewerHost::GetStatus(PluginHostStatus* status) {
    if (status == nullptr) return 0;
    *status = PluginHostStatus{};
    status->cardState = device_.cardState;
    status->errorCount = tuner_.ErrorCount();
    status->recording = recorder_.IsRecording() ? 1 : 0;
    status->recordSeconds = recorder_.IsRecording() ? recorder_.PlannedSeconds() : 0;
    return 1;
}

}  // namespace viewer
