// Start and Cancel of an EPG collection (buttons 5004 and 5005, the timer's 0x432 and 0x433) and
// the buttons that a running collection or fetch disables.
#include "capture_plugin/capture_texts.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "platform/debug_output.h"
#include "platform/process.h"
#include "shared/window_message_ids.h"
#include "ui/message_box.h"

namespace capture_plugin {

void CQuorvantelDlg::Start(bool fromTimer) {
    // A running collection goes on; a running fetch tunes channels on its own, so the collection
    // waits for it (the timer asks again).
    if (lastPublishedStatus_ == kStatusCapturing || fetchRunning_) return;
    SaveBasicSettings();
    if (savePath_.empty()) {
        RefuseStart(kNoSavePathText, fromTimer);
        return;
    }
    if (Host() == nullptr) {
        RefuseStart(kPluginErrorText, fromTimer);
        return;
    }
    DisableForCapture();
    {
        std::lock_guard lock(captureLock_);
        captureList_.clear();
        for (const ChannelItem& item : channelList_) {
            if (item.checked) captureList_.push_back(item);
        }
    }
    if (CaptureListSize() == 0) {
        RefuseStart(kNoChannelCheckedText, fromTimer);
        {
            std::lock_guard lock(captureLock_);
            EndCollectionLocked();
        }
        EnableAfterCapture();
        return;
    }
    if (StartRefusedByHost()) return;
    BeginCollection();
}

void CQuorvantelDlg::RefuseStart(std::wstring_view text, bool fromTimer) {
    // The timer asks again every 10 s while the Status reads 0, and each request would open one
    // more box behind this one. Asking again changes nothing here, so its request fails (Status
    // 2) before the box opens: the timer closes this viewer and the user sees the box once.
    if (fromTimer) {
        platform::OutputDebugStringW(L"EPG collection refused: " + std::wstring(text));
        std::lock_guard lock(captureLock_);
        PublishStatusLocked(kStatusFileError);
    }
    MessageBox(text);
}

bool CQuorvantelDlg::StartRefusedByHost() {
    PluginHostStatus status;
    Host()->GetStatus(&status);
    if (status.recording != 1) return false;
    PostMessage(shared::WM_CAPTURE_CANCELLED_REC);
    {
        std::lock_guard lock(captureLock_);
        capturing_ = 0;
        PublishStatusLocked(kStatusIdle);
    }
    captureRunning_ = 0;
    UpdateData(false);
    return true;
}

void CQuorvantelDlg::BeginCollection() {
    const std::uint32_t first = captureList_.front().channel;  // only this thread changes it
    if (currentChannel_ != static_cast<std::int32_t>(first)) Host()->SetChannel(first);
    {
        std::lock_guard lock(captureLock_);
        ++captureGeneration_;
        captureIndex_ = 0;
        captureSavePath_ = savePath_;
    }
    DropQueuedChunks();
    statusText_ = kCollectingText;
    {
        std::lock_guard lock(captureLock_);
        PublishStatusLocked(kStatusCapturing);
        cs1Done_ = 0;
        cs2Done_ = 0;
    }
    captureRunning_ = 1;
    PostMessage(shared::WM_CAPTURE_ARM);
    UpdateData(false);
}

void CQuorvantelDlg::Cancel() {
    UpdateData(true);
    KillTimer(kFetchTimer);
    fetchRunning_ = false;
    // A pending settle wait belongs to the collection being cancelled.
    KillTimer(kSettleTimer);
    EnableAfterCapture();
    statusText_.clear();
    captureRunning_ = 0;
    {
        std::lock_guard lock(captureLock_);
        if (lastPublishedStatus_ == kStatusCapturing) {
            EndCollectionLocked();
            statusText_ = kCancelledText;
            PublishStatusLocked(kStatusIdle);
        }
    }
    UpdateData(false);
}

void CQuorvantelDlg::EndCollectionLocked() {
    ++captureGeneration_;
    capturing_ = 0;
    captureIndex_ = -1;
    captureList_.clear();
}

void CQuorvantelDlg::PublishStatusLocked(std::int32_t status) {
    sharedMemory_.WriteStatus(status, platform::GetCurrentProcessId());
    lastPublishedStatus_ = status;
}

std::size_t CQuorvantelDlg::CaptureListSize() const {
    std::lock_guard lock(captureLock_);
    return captureList_.size();
}

void CQuorvantelDlg::DisableForCapture() {
    EnableCaptureButtons(false);
}

void CQuorvantelDlg::EnableAfterCapture() {
    EnableCaptureButtons(true);
}

void CQuorvantelDlg::EnableCaptureButtons(bool enable) {
    for (int id : {IDC_SETTINGS, IDC_START_EPG_VIEWER, IDC_START, IDC_GET_CHSET}) {
        EnableItem(id, enable);
    }
    EnableItem(IDC_CANCEL, !enable);
}

}  // namespace capture_plugin
