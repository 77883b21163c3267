// The present and following programme, worked out on the capture worker thread (ProgramInfo), and
// where the results go: NowData, NextData and EVENT of this viewer, the refresh message to the
// window, and the recording's programme text file.
#include "broadcast/stream_si_capture.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "platform/process.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {

void CQuorvantelDlg::UpdateProgramInfo(const broadcast::StreamSiCapture& context) {
    // Called by the worker with the store lock held; the context fills that store.
    if (context.broadcastTime == 0 || context.store == nullptr) return;
    ProgramInfoContext now;
    now.broadcastTime = context.broadcastTime;
    now.transportStreamId = static_cast<std::uint16_t>(context.transportStreamId);
    now.currentService = currentService_;
    now.currentChannel = static_cast<std::uint32_t>(currentChannel_.load());
    now.captureRunning = captureRunning_;
    now.pluginWindow = pluginWindow_;
    now.hostWindow = hostWindow_;
    programInfo_.Update(*context.store, now, *this);
}

void CQuorvantelDlg::PublishNowData(std::string_view iepgText) {
    sharedMemory_.WriteNowData(iepgText.data(), iepgText.size());
}

void CQuorvantelDlg::PublishNextData(std::string_view iepgText) {
    sharedMemory_.WriteNextData(iepgText.data(), iepgText.size());
}

void CQuorvantelDlg::PublishEvent(const shared::PluginEventInfo& info) {
    sharedMemory_.WriteEvent(info, platform::GetCurrentProcessId());
}

void CQuorvantelDlg::RefreshTexts() {
    platform::PostMessageW(pluginWindow_, shared::WM_CAPTURE_REFRESH, 0, 0);
}

void CQuorvantelDlg::OnProgramTextsChanged() {
    presentText_ = programInfo_.PresentText();
    followingText_ = programInfo_.FollowingText();
    UpdateData(false);
}

}  // namespace capture_plugin
