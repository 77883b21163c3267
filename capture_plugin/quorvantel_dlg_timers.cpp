// The window's timers: 1000 the recording's error log, 1001 the host's status poll, 1002 the
// service follow, 1003 the channel-setting fetch step, 1004 the clock correction. The settle
// timer 101 is handled in the window procedure.
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::OnTimer(UINT_PTR id) {
    switch (id) {
        case kErrorLogTimer:
            OnErrorLogTimer();
            break;
        case kStatusPollTimer:
            if (Host() != nullptr) {
                const PluginHostStatus status = HostStatus();
                StorePolledStatus(status);
                CloseWhenTheTimerHasGone(status);
            }
            break;
        case kServiceFollowTimer:
            OnServiceFollowTimer();
            break;
        case kFetchTimer:
            FetchStep();
            break;
        case kClockSyncTimer:
            SyncClock();
            break;
        default:
            break;
    }
}

}  // namespace capture_plugin
