// The stream queue between the viewer's tuner thread and the capture worker, the channel change
// and the host's polled status.
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::EnqueueStream(const platform::BYTE* data, platform::DWORD size) {
    if (data == nullptr || size == 0 || !workerRunning_) return;
    auto chunk = StreamBuffer::Copy(data, size);
    if (!TakeQueueLock()) return;  // dropped; the lock was not taken, so it is not given back
    streamQueue_.push_back(std::move(chunk));
    ReleaseQueueLock();
}

void CQuorvantelDlg::OnChannelChanged(platform::DWORD channel, platform::DWORD service) {
    RestartClockSyncTimer();
    // The channel first, then the flag: the worker that sees the flag reads the new channel.
    const std::int32_t previous = currentChannel_.exchange(static_cast<std::int32_t>(channel));
    if (static_cast<std::int32_t>(channel) != previous) channelChanged_ = 1;
    scrambleCount_ = 0;
    currentService_ = static_cast<std::int32_t>(service);
}

bool CQuorvantelDlg::TakeQueueLock() {
    return platform::WaitForSingleObject(queueLock_, kQueueLockWaitMs) == platform::WAIT_OBJECT_0;
}

void CQuorvantelDlg::ReleaseQueueLock() {
    platform::SetEvent(queueLock_);
}

bool CQuorvantelDlg::DropQueuedChunks() {
    if (!TakeQueueLock()) return false;
    streamQueue_.clear();
    ReleaseQueueLock();
    return true;
}

void CQuorvantelDlg::StorePolledStatus(const PluginHostStatus& status) {
    std::lock_guard lock(polledStatusLock_);
    polledStatus_ = status;
}

PluginHostStatus CQuorvantelDlg::PolledStatus() const {
    std::lock_guard lock(polledStatusLock_);
    return polledStatus_;
}

}  // namespace capture_plugin
