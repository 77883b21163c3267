// TimerManager::FindFreeViewer, IsDeviceIndexUsed and ProbeDeviceType: what the record threads
// ask, holding the device lock, when they look for a tuner device and for viewers no slot owns.
#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/process_snapshot.h"
#include "shared/shared_memory_readers.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/friio_view_windows.h"
#include "timer_core/recording/stoppable_sleep.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {
namespace {

constexpr int kPluginAskCycles = 6;
constexpr int kProbeCycles = 11;
constexpr platform::DWORD kProbeCycleMs = 1000;
// Tuner kinds as the plug-in and the viewer's window report them.
constexpr std::int32_t kReportedTerrestrial = 1;
constexpr std::int32_t kReportedBsCs = 2;

int KindOfGroup(int group) {
    return group == kSatelliteGroup ? 1 : 0;
}

// The kind a started viewer reports, asked once in the given cycle; nullopt: no answer yet.
// The window is asked with SendMessageW, which waits for the viewer's thread up to 10 s of real
// time: a stop that comes meanwhile is seen only after that bounded wait.
std::optional<int> AskKind(platform::DWORD pid, int cycle) {
    if (cycle <= kPluginAskCycles) {
        std::int32_t reported = 0;
        if (!shared::ReadPluginFriioId(pid, &reported)) return std::nullopt;
        return reported == kReportedBsCs ? 1 : 0;
    }
    const platform::DWORD reply = QueryFriioViewWindow(pid);
    if (reply == static_cast<platform::DWORD>(kReportedBsCs)) return 1;
    if (reply == static_cast<platform::DWORD>(kReportedTerrestrial)) return 0;
    return std::nullopt;
}

}  // namespace

int TimerManager::FindFreeViewer(int kind, platform::DWORD* pid) const {
    std::vector<platform::DWORD> owned;
    for (const auto& slot : SlotsOfGroup(kind == 1 ? kSatelliteGroup : kTerrestrialGroup)) {
        const std::lock_guard lock(DataLock());
        if (slot->viewerProcessId != 0) owned.push_back(slot->viewerProcessId);
    }
    const std::int32_t wanted = kind == 1 ? kReportedBsCs : kReportedTerrestrial;
    std::vector<platform::DWORD> viewers;
    ListFriioViewPids(&viewers);
    int found = 0;
    for (const platform::DWORD candidate : viewers) {
        std::int32_t reported = 0;
        if (!shared::ReadPluginFriioId(candidate, &reported) || reported != wanted) continue;
        if (std::ranges::find(owned, candidate) != owned.end()) continue;
        *pid = candidate;
        found = 1;
    }
    return found;
}

int TimerManager::IsDeviceIndexUsed(int deviceIndex) const {
    for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
        for (const auto& slot : SlotsOfGroup(group)) {
            const std::lock_guard lock(DataLock());
            if (slot->deviceIndex == deviceIndex) return 1;
        }
    }
    return 0;
}

int TimerManager::ProbeDeviceType(int deviceIndex, const platform::Event* stop) const {
    for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
        for (const auto& slot : SlotsOfGroup(group)) {
            const std::lock_guard lock(DataLock());
            if (slot->deviceIndex == deviceIndex) return KindOfGroup(group);
        }
    }
    FriioViewLauncher launcher;
    launcher.SetPath(Settings().FriioViewPath);
    if (stop != nullptr) launcher.SetStopEvent(*stop);
    launcher.LoadWindowPos();
    platform::DWORD pid = 0;
    launcher.StartForEpg(deviceIndex, &pid);
    int kind = 0;
    for (int cycle = 1; cycle <= kProbeCycles && pid != 0; ++cycle) {
        if (SleepUnlessStopped(kProbeCycleMs, stop)) break;
        if (const auto answer = AskKind(pid, cycle)) {
            kind = *answer;
            break;
        }
    }
    if (pid != 0) {
        CloseFriioViewWindow(pid, stop);
        TerminateViewer(pid, stop);
    }
    launcher.SaveWindowPos();
    return kind;
}

}  // namespace timer_core
