// The window's side of the hand-over with the capture worker: what the worker collects now, and
// the steps by which it moves a collection on or ends it. Each takes captureLock_ and acts only
// while the worker's collection is still the current one.
#include "capture_plugin/channel_class.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {

std::optional<CQuorvantelDlg::CaptureTarget> CQuorvantelDlg::CurrentCaptureTarget() const {
    std::lock_guard lock(captureLock_);
    const int index = captureIndex_;
    if (index < 0 || static_cast<std::size_t>(index) >= captureList_.size()) return std::nullopt;
    return CaptureTarget{captureGeneration_, index, captureList_[index], captureSavePath_};
}

bool CQuorvantelDlg::FinishCollection(std::uint64_t generation, HWND window, UINT message,
                                      std::int32_t status, std::wstring_view failedFile) {
    std::lock_guard lock(captureLock_);
    if (generation != captureGeneration_) return false;
    failedFile_ = failedFile;
    platform::PostMessageW(window, message, 0, 0);
    capturing_ = 0;
    PublishStatusLocked(status);
    return true;
}

std::optional<int> CQuorvantelDlg::AdvanceCollection(std::uint64_t generation, int index,
                                                     std::uint32_t finishedChannel) {
    std::lock_guard lock(captureLock_);
    if (generation != captureGeneration_ || captureIndex_ != index) return std::nullopt;
    if (IsCsChannel(finishedChannel)) (IsCs1Channel(finishedChannel) ? cs1Done_ : cs2Done_) = 1;
    const int count = static_cast<int>(captureList_.size());
    int next = index + 1;
    if (IsBsChannel(finishedChannel) && bsBasicOnly_ == 1) {
        // The first BS channel carries the basic schedules of all BS services.
        while (next < count && IsBsChannel(captureList_[next].channel))
            ++next;
    } else if (IsCsChannel(finishedChannel) && csBasicOnly_ == 1) {
        // One channel per CS group, the first of each in list order.
        while (next < count && captureList_[next].channel > 0x30000000) {
            const std::uint32_t channel = captureList_[next].channel;
            if ((IsCs1Channel(channel) ? cs1Done_ : cs2Done_) == 0) break;
            ++next;
        }
    }
    captureIndex_ = next;
    return next;
}

bool CQuorvantelDlg::ContinueCollection(std::uint64_t generation, HWND window) {
    std::lock_guard lock(captureLock_);
    if (generation != captureGeneration_) return false;
    capturing_ = 0;
    platform::PostMessageW(window, shared::WM_CAPTURE_ARM, 0, 0);
    return true;
}

}  // namespace capture_plugin
