// The window's timers: the host's status poll and the channel-setting fetch step.
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::OnTimer(UINT_PTR id) {
    switch (id) {
        case kStatusPollTimer:
            if (PluginHost* host = Host()) {
                PluginHostStatus status;
                host->GetStatus(&status);
                StorePolledStatus(status);
            }
            break;
        case kFetchTimer:
            FetchStep();
            break;
        default:
            break;
    }
}

}  // namespace capture_plugin
