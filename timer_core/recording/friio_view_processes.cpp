#include "timer_core/recording/friio_view_processes.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/debug_output.h"
#include "platform/process.h"
#include "timer_core/recording/stoppable_sleep.h"

namespace timer_core {
namespace {

constexpr int kTerminateChecks = 9;
constexpr platform::DWORD kTerminateCheckMs = 1000;
constexpr platform::DWORD kAfterTerminateMs = 1000;

bool IsViewer(const platform::ProcessEntry& entry) {
    return platform::ImageNamesEqual(entry.imageName, kFriioViewImageName);
}

}  // namespace

int IsFriioViewRunning(const ProcessSnapshot& snapshot) {
    return std::ranges::any_of(snapshot, IsViewer) ? 1 : 0;
}

int ListFriioViewPids(std::vector<platform::DWORD>* out) {
    int found = 0;
    for (const platform::ProcessEntry& entry : platform::TakeProcessSnapshot()) {
        if (!IsViewer(entry)) continue;
        out->push_back(entry.processId);
        found = 1;
    }
    return found;
}

int IsFriioViewPid(platform::DWORD pid, const ProcessSnapshot& snapshot) {
    return std::ranges::any_of(snapshot,
                               [pid](const platform::ProcessEntry& entry) {
                                   return entry.processId == pid && IsViewer(entry);
                               })
               ? 1
               : 0;
}

int IsFriioViewPid(platform::DWORD pid) {
    const std::optional<platform::ProcessEntry> process = platform::FindProcess(pid);
    return process && IsViewer(*process) ? 1 : 0;
}

void TerminateViewer(platform::DWORD pid, const platform::Event* stop) {
    for (int check = 1; check <= kTerminateChecks; ++check) {
        if (!IsFriioViewPid(pid)) return;
        if (check < kTerminateChecks && SleepUnlessStopped(kTerminateCheckMs, stop)) return;
    }
    platform::OutputDebugStringW(L"FriioView " + std::to_wstring(pid) +
                                 L" did not close when asked; ending it");
    platform::TerminateProcess(pid, static_cast<platform::UINT>(-1));
    SleepUnlessStopped(kAfterTerminateMs, stop);
}

}  // namespace timer_core
