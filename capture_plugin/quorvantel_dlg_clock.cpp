// The broadcast clock: the worker hands in every broadcast time it sees and the offset to the PC
// clock is published as Time; timer 1004 corrects the PC clock by it when the user asked for it.
#include "capture_plugin/quorvantel_dlg.h"
#include "platform/clock.h"
#include "platform/process.h"

namespace capture_plugin {

void CQuorvantelDlg::SetBroadcastTimeOffset(std::uint64_t broadcastTime) {
    const auto publish = broadcastClock_.SetBroadcastTimeOffset(
        broadcastTime, platform::Clock::Instance().NowLocal());
    if (publish) sharedMemory_.WriteTime(*publish, platform::GetCurrentProcessId());
}

void CQuorvantelDlg::SyncClock() {
    capture_plugin::SyncClock(
        {timeSync_, broadcastClock_.Offset(), PolledStatus().recording, statusText_});
}

void CQuorvantelDlg::RestartClockSyncTimer() {
    KillTimer(kClockSyncTimer);
    if (timeSync_ == 1) SetTimer(kClockSyncTimer, kClockSyncMs);
}

}  // namespace capture_plugin
