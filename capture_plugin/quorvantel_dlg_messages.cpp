// The window procedure: the timer's messages, the worker's messages and the settle timer. Every
// message then takes the base path, except the close command, which the window refuses.
#include <utility>

#include "capture_plugin/capture_texts.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {

platform::LRESULT CQuorvantelDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case platform::WM_TIMER:
            if (wParam == kSettleTimer) OnSettleTimer();
            break;
        case platform::WM_SYSCOMMAND:
            if (wParam == ui::SC_CLOSE) return 1;
            break;
        case shared::WM_CAPTURE_START:
            Start(true);
            break;
        case shared::WM_CAPTURE_CANCEL:
            Cancel();
            break;
        case shared::WM_VIEWER_CLOSE:
            OnViewerClose();
            break;
        case shared::WM_PLUGIN_TUNE:
            OnPluginTune(wParam, lParam);
            break;
        case shared::WM_PLUGIN_REC_START:
            OnPluginRecStart(wParam, lParam);
            break;
        case shared::WM_PLUGIN_REC_STOP:
            OnPluginRecStop();
            break;
        case shared::WM_PLUGIN_REC_LENGTH:
            OnPluginRecLength(wParam, lParam);
            break;
        case shared::WM_PLUGIN_WRITE_PROGRAM_TEXT:
            OnPluginWriteProgramText();
            break;
        case shared::WM_CAPTURE_REFRESH:
            OnProgramTextsChanged();
            break;
        case shared::WM_CAPTURE_DONE:
            OnCaptureEnded(kCollectionDoneText);
            break;
        case shared::WM_CAPTURE_FILE_ERROR:
            OnCaptureFileError();
            break;
        case shared::WM_CAPTURE_ARM:
            SetTimer(kSettleTimer, kSettleMs);
            break;
        case shared::WM_CAPTURE_CANCELLED_REC:
            OnCaptureEnded(kCancelledByRecordingText);
            break;
        default:
            break;
    }
    return ui::Dialog::WindowProc(message, wParam, lParam);
}

void CQuorvantelDlg::OnCaptureEnded(std::wstring_view text) {
    {
        std::lock_guard lock(captureLock_);
        EndCollectionLocked();
    }
    EnableAfterCapture();
    statusText_ = text;
    UpdateData(false);
}

// A data file that could not be created keeps the plain text (the folder is SavePath, shown
// above); a copy into the timer's EpgData folder that failed names the copy.
void CQuorvantelDlg::OnCaptureFileError() {
    std::wstring text(kFileErrorText);
    {
        std::lock_guard lock(captureLock_);
        if (!failedFile_.empty()) text += L"\r\n" + std::exchange(failedFile_, {});
    }
    OnCaptureEnded(text);
}

void CQuorvantelDlg::OnSettleTimer() {
    KillTimer(kSettleTimer);
    // A settle wait that outlived its collection (Cancel, or the end of the collection) starts
    // nothing.
    std::lock_guard lock(captureLock_);
    if (captureIndex_ < 0 || lastPublishedStatus_ != kStatusCapturing) return;
    channelChanged_ = 1;
    capturing_ = 1;
}

}  // namespace capture_plugin
