#include "timer_core/recording/slot_recording_start.h"

#include <mutex>

#include "platform/debug_output.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "shared/friio_save_path.h"
#include "shared/plugin_posts.h"
#include "timer_core/recording/device_lock.h"
#include "timer_core/recording/friio_view_launcher.h"
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

// Asks the plug-in to record; a plug-in that cannot be found yet is asked again.
void PostStartRec(const StartView& view, const platform::Event& stop) {
    const auto channel = static_cast<std::uint32_t>(view.reserve.channelValue);
    if (shared::PostPluginStartRec(view.viewer, channel, view.reserve.serviceId)) return;
    for (int retry = 0; retry < kStartPostRetries; ++retry) {
        if (shared::PostPluginStartRec(view.viewer, channel, view.reserve.serviceId)) return;
        platform::OutputDebugStringW(L"rec faile");
        if (SleepUnlessStopped(kStartPostRetryMs, &stop)) return;
    }
}

void StartThroughPlugin(int m, TimerManager& manager, const StartView& view,
                        shared::SharedMemoryBlock& block, const platform::Event& stop) {
    shared::RecordRequest request;
    BuildRecordRequest(&view.reserve, &request, manager, view.device);
    request.minutes = static_cast<std::uint32_t>(m);
    request.noErrLog = static_cast<std::uint32_t>(view.settings.NoErrLog);
    manager.AutoDeleteForSpace();
    block.WriteRec(request, view.viewer);
    if (SleepUnlessStopped(kBeforeStartPostMs, &stop)) return;
    PostStartRec(view, stop);
    if (view.settings.NoInfoLog != 0) return;
    if (SleepUnlessStopped(kBetweenPostsMs, &stop)) return;
    shared::PostPluginRequestProgramText(view.viewer);
}

// The margins StartSec + EndSec in whole minutes, a started minute counting whole.
int MarginMinutes(const TimerSettings& settings) {
    const int margin = settings.StartSeconds() + settings.EndSeconds();
    return margin / 60 + (margin % 60 > 0 ? 1 : 0);
}

// A recording under the title's own name replaces an earlier one of that name. Without a
// recording folder the viewer records elsewhere, and nothing is deleted.
void DeleteEarlierRecording(const std::wstring& name) {
    std::wstring folder;
    if (shared::ReadFriioSavePath(&folder) != 1 || folder.empty()) return;
    platform::DeleteFileW(platform::JoinPath(folder, name));
}

int StartViewerRecording(int m, TimerManager& manager, RecThreadSlot& slot, const StartView& view) {
    FriioViewLauncher launcher;
    launcher.SetPath(view.settings.FriioViewPath);
    launcher.SetStopEvent(slot.stopEvent);
    const std::wstring name =
        RecordingFileName(view.reserve, view.settings.NameManual, view.device);
    if (view.settings.NameManual == 1) DeleteEarlierRecording(name);
    manager.AutoDeleteForSpace();
    const int minutes = m + MarginMinutes(view.settings);
    if (SleepUnlessStopped(kBeforeViewerStartMs, &slot.stopEvent)) return minutes;
    // The start and the slot's note of the new viewer under the device lock: another thread's
    // sweep for viewers no slot owns must not take this one for such a viewer in between.
    const auto devices = LockDevicesUnlessStopped(manager, slot.stopEvent);
    if (!devices) return minutes;
    platform::DWORD pid = 0;
    launcher.StartRecording(kViewerDValue, minutes, &pid,
                            static_cast<std::uint32_t>(view.reserve.channelValue), name,
                            view.device, view.settings.NoErrLog);
    const std::lock_guard lock(manager.DataLock());
    if (!slot.StopRequested()) slot.viewerProcessId = pid;
    return minutes;
}

}  // namespace

int StartSlotRecording(int* minutes, TimerManager& manager, RecThreadSlot* slot,
                       shared::SharedMemoryBlock& block) {
    if (slot == nullptr) return 0;
    const int m = GetEffectiveDuration(slot, manager);
    const auto view = ViewOf(manager, *slot);
    if (!view) return 0;
    if (view->reserve.follow != 0) {
        StartThroughPlugin(m, manager, *view, block, slot->stopEvent);
        *minutes = m;
    } else {
        *minutes = StartViewerRecording(m, manager, *slot, *view);
    }
    platform::OutputDebugStringW(L"recstart");
    return 1;
}

}  // namespace timer_core
