// The channel-setting fetch (button 5007): tunes every channel of the viewer's list in turn and
// merges the services the worker parsed meanwhile into the channel tables.
#include "capture_plugin/capture_texts.h"
#include "capture_plugin/channel_table_merge.h"
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::OnBnClickedGetChSet() {
    UpdateData(true);
    fetchIndex_ = 0;
    PluginHost* host = Host();
    if (host == nullptr) return;
    PluginHostStatus status;
    host->GetStatus(&status);
    if (status.recording == 1) return;
    if (channelList_.empty()) {
        statusText_ = kChannelFileErrorText;
        UpdateData(false);
        return;
    }
    DisableForCapture();
    fetchKey_ = static_cast<std::int32_t>(channelList_.front().channel);
    if (currentChannel_ != fetchKey_) host->SetChannel(channelList_.front().channel);
    fetchRunning_ = true;
    SetTimer(kFetchTimer, kFetchFirstMs);
    statusText_ = kFetchingText;
    UpdateData(false);
}

void CQuorvantelDlg::FetchStep() {
    KillTimer(kFetchTimer);
    if (!fetchRunning_) return;
    {
        // Only a store the worker cleared for this channel holds its services: one that still
        // holds the channel before (the host refused the tune, or the worker has not yet seen
        // the change) would file that channel's services under this one.
        std::lock_guard lock(storeLock_);
        if (store_ && storeChannel_ == fetchKey_) {
            MergeChannelTables(*store_, currentTransportStreamId_,
                               static_cast<std::uint32_t>(fetchKey_), chSetPath_, chSet2Path_);
        }
    }
    ++fetchIndex_;
    // The list may have been reloaded meanwhile (settings): the fetch ends with it.
    if (static_cast<std::size_t>(fetchIndex_) < channelList_.size()) {
        fetchKey_ = static_cast<std::int32_t>(channelList_[fetchIndex_].channel);
        if (PluginHost* host = Host()) host->SetChannel(channelList_[fetchIndex_].channel);
        SetTimer(kFetchTimer, kFetchNextMs);
        return;
    }
    fetchRunning_ = false;
    EnableAfterCapture();
    statusText_ = kFetchDoneText;
    UpdateData(false);
}

}  // namespace capture_plugin
