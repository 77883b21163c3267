#include "timer_core/recording/friio_view_launcher.h"

#include <algorithm>

#include "platform/debug_output.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/stoppable_sleep.h"

namespace timer_core {
namespace {

constexpr std::wstring_view kFriioKey = L"Software\\Friio";
constexpr std::wstring_view kVideoWindowPos = L"VideoWindowPos";
constexpr std::wstring_view kControlWindowPos = L"ControlWindowPos";
// Time for a viewer that hands over to a second process to have done so.
constexpr platform::DWORD kStartSettleMs = 500;

std::wstring Number(long long value) {
    return std::to_wstring(value);
}

std::string ValueBytes(const platform::RegistryKey& key, std::wstring_view name) {
    const auto value = key.QueryValue(name);
    return value ? value->data : std::string();
}

// The created process when it is still a viewer, else the first viewer that was not running
// before the start; 0 when there is none.
platform::DWORD FindStartedViewer(platform::DWORD created,
                                  const std::vector<platform::DWORD>& before) {
    if (IsFriioViewPid(created)) return created;
    std::vector<platform::DWORD> after;
    ListFriioViewPids(&after);
    for (const platform::DWORD candidate : after) {
        if (std::ranges::find(before, candidate) == before.end()) return candidate;
    }
    return 0;
}

}  // namespace

int FriioViewLauncher::StartForEpg(int device, platform::DWORD* pid) {
    return Start(L" -n -o " + Number(device), pid);
}

int FriioViewLauncher::StartOnChannel(std::uint32_t channel, int device, platform::DWORD* pid) {
    return Start(L" -n -c " + Number(channel) + L" -o " + Number(device), pid);
}

int FriioViewLauncher::StartRecording(int dValue, int minutes, platform::DWORD* pid,
                                      std::uint32_t channel, const std::wstring& fileName,
                                      int device, int noErrLog) {
    std::wstring tail = L" -n -c " + Number(channel) + L" -r " + Number(minutes) + L" -x -f \"" +
                        fileName + L"\" -d " + Number(dValue);
    if (noErrLog != 1) tail += L" -e";
    tail += L" -o " + Number(device);
    return Start(tail, pid);
}

int FriioViewLauncher::Start(const std::wstring& tail, platform::DWORD* pid) {
    if (path_.empty()) return 0;
    LoadWindowPos();
    std::vector<platform::DWORD> before;
    ListFriioViewPids(&before);
    const std::wstring folder = platform::FolderOf(path_);
    LoadWindowPos();
    platform::DWORD created = 0;
    if (!platform::CreateProcessW(path_, tail, folder, &created)) {
        // Nothing was started: another thread's viewer that appears meanwhile is not ours.
        platform::OutputDebugStringW(L"FriioView could not be started: " + path_ + tail);
        return 1;
    }
    if (pid == nullptr) return 1;
    if (SleepUnlessStopped(kStartSettleMs, stop_ ? &*stop_ : nullptr)) {
        *pid = created;
        return 1;
    }
    if (const platform::DWORD found = FindStartedViewer(created, before); found != 0) *pid = found;
    return 1;
}

int FriioViewLauncher::LoadWindowPos() {
    videoWindowPos_.clear();
    controlWindowPos_.clear();
    const auto key = platform::RegistryKey::Open(kFriioKey);
    if (!key) return 0;
    videoWindowPos_ = ValueBytes(*key, kVideoWindowPos);
    controlWindowPos_ = ValueBytes(*key, kControlWindowPos);
    return 1;
}

int FriioViewLauncher::SaveWindowPos() {
    if (videoWindowPos_.empty()) return 0;
    auto key = platform::RegistryKey::Open(kFriioKey);
    if (!key) return 0;
    const bool video = key->SetBinary(kVideoWindowPos, videoWindowPos_);
    const bool control = key->SetBinary(kControlWindowPos, controlWindowPos_);
    return video && control ? 1 : 0;
}

}  // namespace timer_core
