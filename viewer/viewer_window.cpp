#include "viewer/viewer_window.h"

#include "shared/window_message_ids.h"
#include "viewer/viewer_host.h"

namespace viewer {
namespace {

enum ControlId { kDevice = 100, kChannel, kService, kRecording };
constexpr ui::UINT_PTR kTickTimer = 1;

const ui::ControlSpec kControls[] = {
    {kDevice, ui::ControlKind::Static, L"", 10, 8, 320, 16},
    {kChannel, ui::ControlKind::Static, L"", 10, 28, 320, 16},
    {kService, ui::ControlKind::Static, L"", 10, 48, 320, 16},
    {kRecording, ui::ControlKind::Static, L"", 10, 68, 320, 16},
};

const ui::DialogTemplate kTemplate{kViewerWindowTitle, 340, 92, ui::dialog_style::MinimizeBox,
                                   kControls};

}  // namespace

ViewerWindow::ViewerWindow(ViewerCommands& commands) : ui::Dialog(kTemplate), commands_(commands) {
    SetDataMap({
        {kDevice, ui::Ddx::Text, &display_.device},
        {kChannel, ui::Ddx::Text, &display_.channel},
        {kService, ui::Ddx::Text, &display_.service},
        {kRecording, ui::Ddx::Text, &display_.recording},
    });
}

void ViewerWindow::Show(const ViewerDisplay& display) {
    display_ = display;
    UpdateData(false);
}

ui::BOOL ViewerWindow::OnInitDialog() {
    SetTimer(kTickTimer, 1000);
    return ui::Dialog::OnInitDialog();
}

void ViewerWindow::OnTimer(ui::UINT_PTR id) {
    if (id == kTickTimer) commands_.Tick();
}

ui::LRESULT ViewerWindow::WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) {
    switch (message) {
        case shared::WM_HOST_GET_TUNER_KIND:
            return commands_.TunerKindReply();
        case shared::WM_HOST_REC_START:
            commands_.StartRecordingOnRequest(static_cast<int>(wParam & 0xFFFF));
            return 0;
        case shared::WM_HOST_REC_STOP:
            commands_.StopRecording();
            return 0;
        case shared::WM_HOST_REC_ADJUST:
            commands_.AdjustRecording(static_cast<std::int32_t>(lParam));
            return 0;
        case WM_VIEWER_TUNE:
            commands_.Tune(static_cast<std::uint32_t>(wParam));
            return 0;
        case WM_VIEWER_SELECT_SERVICE:
            commands_.SelectService(static_cast<std::uint16_t>(wParam));
            return 0;
        case ui::WM_CLOSE:
            commands_.Quit();
            return 0;
        default:
            return ui::Dialog::WindowProc(message, wParam, lParam);
    }
}

}  // namespace viewer
