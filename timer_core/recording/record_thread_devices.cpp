// The record thread's waiting phase and its choice of a tuner device, under the manager's device
// lock so that two threads never take the same device or viewer.
#include <algorithm>
#include <vector>

#include "platform/debug_output.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/record_failure_log.h"
#include "timer_core/recording/record_thread.h"

namespace timer_core {
namespace {

constexpr TimeSpan kFarAhead = 300 * kSpanSecond;
constexpr TimeSpan kAhead = 120 * kSpanSecond;
constexpr TimeSpan kChoiceTime = 60 * kSpanSecond;
constexpr platform::DWORD kFarAheadPeriodMs = 20000;
constexpr platform::DWORD kAheadPeriodMs = 10000;
constexpr platform::DWORD kChoicePeriodMs = 3000;

}  // namespace

bool RecordThread::Waiting(const SlotView& view, const CycleClock& clock) {
    // Continuing with a chained reservation goes straight to the final minute.
    if (!continuing_) {
        if (clock.r > kFarAhead) {
            period_ = kFarAheadPeriodMs;
            return true;
        }
        if (clock.r > kAhead) {
            period_ = kAheadPeriodMs;
            return true;
        }
        if (clock.r > kChoiceTime) {
            period_ = kChoicePeriodMs;
            return deviceChosen_ || ChooseDevice(view, true);
        }
    }
    return FinalMinute(view, clock);
}

bool RecordThread::ChooseDevice(const SlotView& view, bool sweepOrphans) {
    auto devices = LockDevicesUnlessStopped(*manager_, slot_->stopEvent);
    if (!devices) return false;
    // A BS/CS viewer no slot owns holds a tuner that a recording may need, whatever this
    // reservation's kind.
    if (sweepOrphans) CloseOrphans(1);
    const int count = view.settings.tunerCount1 + view.settings.tunerCount2;
    const int wanted = TunerKindFor(view.reserve);
    for (int device = 0; device < count; ++device) {
        if (manager_->IsDeviceIndexUsed(device)) continue;
        const int kind = manager_->ProbeDeviceType(device, &slot_->stopEvent);
        if (slot_->StopRequested()) return false;
        if (kind != wanted) continue;
        if (!Change(view, [&] { slot_->deviceIndex = device; })) return false;
        device_ = device;
        deviceChosen_ = true;
        return true;
    }
    platform::OutputDebugStringW(L"空きID見つからず\r\n");
    ReportFailure(L"no free tuner device", view.reserve);
    rec_.CloseAll();
    devices.reset();
    Change(view, [&] {
        DropAssignments(view);
        Post(WM_RECORDING_ENDED);
    });
    return false;
}

void RecordThread::CloseOrphans(int kind) const {
    std::vector<platform::DWORD> closed;
    platform::DWORD orphan = 0;
    while (manager_->FindFreeViewer(kind, &orphan)) {
        // One that outlives its close and its termination (not ours to end) is left alone.
        if (std::ranges::find(closed, orphan) != closed.end()) return;
        closed.push_back(orphan);
        CloseViewer(orphan);
        if (slot_->StopRequested()) return;
    }
}

}  // namespace timer_core
