#include "timer_core/recording/slot_recording_start.h"

#include <algorithm>
#include <mutex>

#include "platform/debug_output.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "shared/friio_save_path.h"
#include "shared/plugin_posts.h"
#include "timer_core/recording/device_lock.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/record_failure_log.h"
#include "timer_core/recording/record_request.h"
#include "timer_core/recording/stoppable_sleep.h"

namespace timer_core {
namespace {

constexpr platform::DWORD kBeforeStartPostMs = 50;
constexpr int kStartPostRetries = 10;
constexpr platform::DWORD kStartPostRetryMs = 200;
constexpr platform::DWORD kBetweenPostsMs = 100;
constexpr platform::DWORD kBeforeViewerStartMs = 100;
// The viewer's -d value for a recording the timer starts.
constexpr int kViewerDValue = 5;

// What the start reads of the slot, copied under the data lock.
struct StartView {
    ReserveEntry reserve;
    std::int32_t device = RecThreadSlot::kNoDevice;
    platform::DWORD viewer = 0;
    TimerSettings settings;
};

std::optional<StartView> ViewOf(const TimerManager& manager, const RecThreadSlot& slot) {
    const std::lock_guard lock(manager.DataLock());
    if (!slot.currentReserve) return std::nullopt;
    return StartView{*slot.currentReserve, slot.deviceIndex, slot.viewerProcessId,
                     manager.Settings()};
}

// Asks the plug-in to record; a plug-in that cannot be found yet is asked again. False when it
// could not be asked.
bool PostStartRec(const StartView& view, const platform::Event& stop) {
    const auto channel = static_cast<std::uint32_t>(view.reserve.channelValue);
    if (shared::PostPluginStartRec(view.viewer, channel, view.reserve.serviceId)) return true;
    for (int retry = 0; retry < kStartPostRetries; ++retry) {
        if (shared::PostPluginStartRec(view.viewer, channel, view.reserve.serviceId)) return true;
        platform::OutputDebugStringW(L"rec faile");
        if (SleepUnlessStopped(kStartPostRetryMs, &stop)) return true;
    }
    return false;
}

void StartThroughPlugin(int m, std::int64_t lead, TimerManager& manager, const StartView& view,
                        shared::SharedMemoryBlock& block, const platform::Event& stop) {
    shared::RecordRequest request;
    BuildRecordRequest(&view.reserve, &request, manager, view.device);
    request.minutes = static_cast<std::uint32_t>(m);
    request.noErrLog = static_cast<std::uint32_t>(view.settings.NoErrLog);
    request.marginSeconds = FollowMarginSeconds(lead, view.settings.EndSeconds());
    manager.AutoDeleteForSpace();
    block.WriteRec(request, view.viewer);
    if (SleepUnlessStopped(kBeforeStartPostMs, &stop)) return;
    if (!PostStartRec(view, stop)) {
        ReportFailure(L"the plug-in of viewer " + std::to_wstring(view.viewer) +
                          L" could not be asked to record",
                      view.reserve);
    }
    if (view.settings.NoInfoLog != 0) return;
    if (SleepUnlessStopped(kBetweenPostsMs, &stop)) return;
    shared::PostPluginRequestProgramText(view.viewer);
}

// The lead and EndSec in whole minutes, a started minute counting whole: the viewer, started
// `lead` seconds before the programme, records until EndSec after its end at least. (StartSec
// and EndSec alone left out the seconds the viewer starts before StartSec.)
int MarginMinutes(std::int64_t lead, const TimerSettings& settings) {
    const std::int64_t margin = std::max<std::int64_t>(0, lead + settings.EndSeconds());
    return static_cast<int>(margin / 60 + (margin % 60 > 0 ? 1 : 0));
}

// A recording under the title's own name replaces an earlier one of that name. Without a
// recording folder the viewer records elsewhere, and nothing is deleted.
void DeleteEarlierRecording(const std::wstring& name) {
    std::wstring folder;
    if (shared::ReadFriioSavePath(&folder) != 1 || folder.empty()) return;
    platform::DeleteFileW(platform::JoinPath(folder, name));
}

int StartViewerRecording(int m, std::int64_t lead, TimerManager& manager, RecThreadSlot& slot,
                         const StartView& view) {
    FriioViewLauncher launcher;
    launcher.SetPath(view.settings.FriioViewPath);
    launcher.SetStopEvent(slot.stopEvent);
    const std::wstring name =
        RecordingFileName(view.reserve, view.settings.NameManual, view.device);
    if (view.settings.NameManual == 1) DeleteEarlierRecording(name);
    manager.AutoDeleteForSpace();
    const int minutes = m + MarginMinutes(lead, view.settings);
    if (SleepUnlessStopped(kBeforeViewerStartMs, &slot.stopEvent)) return minutes;
    // The start and the slot's note of the new viewer under the device lock: another thread's
    // sweep for viewers no slot owns must not take this one for such a viewer in between.
    const auto devices = LockDevicesUnlessStopped(manager, slot.stopEvent);
    if (!devices) return minutes;
    platform::DWORD pid = 0;
    launcher.StartRecording(kViewerDValue, minutes, &pid,
                            static_cast<std::uint32_t>(view.reserve.channelValue), name,
                            view.device, view.settings.NoErrLog);
    if (pid == 0) ReportFailure(L"the recording viewer could not be started", view.reserve);
    const std::lock_guard lock(manager.DataLock());
    if (!slot.StopRequested()) slot.viewerProcessId = pid;
    return minutes;
}

}  // namespace

int StartSlotRecording(int* minutes, TimerManager& manager, RecThreadSlot* slot,
                       shared::SharedMemoryBlock& block, std::optional<std::int64_t> leadSeconds) {
    if (slot == nullptr) return 0;
    const int m = GetEffectiveDuration(slot, manager);
    const auto view = ViewOf(manager, *slot);
    if (!view) return 0;
    const std::int64_t lead =
        leadSeconds.value_or(view->settings.StartSeconds() + kStartLeadSeconds);
    if (view->reserve.follow != 0) {
        StartThroughPlugin(m, lead, manager, *view, block, slot->stopEvent);
        *minutes = m;
    } else {
        *minutes = StartViewerRecording(m, lead, manager, *slot, *view);
    }
    platform::OutputDebugStringW(L"recstart");
    return 1;
}

}  // namespace timer_core
