#include "timer_core/recording/epg_acquire_thread.h"

#include "platform/debug_output.h"
#include "platform/process.h"
#include "platform/process_snapshot.h"
#include "platform/window_messages.h"
#include "shared/plugin_posts.h"
#include "shared/shared_memory_readers.h"
#include "timer_core/recording/epg_acquisition.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/friio_view_windows.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/recording/stoppable_sleep.h"
#include "timer_core/scheduling/timer_manager.h"

namespace timer_core {
namespace {

class ViewerEpgPort : public EpgAcquisitionPort {
  public:
    ViewerEpgPort(const std::shared_ptr<TimerManager>& manager, const platform::Event& stop)
        : manager_(manager), stop_(stop) {
        launcher_.SetPath(manager_->Settings().FriioViewPath);
        launcher_.SetStopEvent(stop_);
    }

    TunerCounts Tuners() override {
        const TimerSettings settings = manager_->Settings();
        return {settings.tunerCount1, settings.tunerCount2};
    }
    bool IsAnyViewerRunning() override {
        return IsFriioViewRunning(platform::TakeProcessSnapshot()) == 1;
    }
    platform::DWORD StartViewer(int device) override {
        platform::DWORD pid = 0;
        return launcher_.StartForEpg(device, &pid) == 1 ? pid : 0;
    }
    bool ReadTunerKind(platform::DWORD pid, std::int32_t* kind) override {
        return shared::ReadPluginFriioId(pid, kind) == 1;
    }
    bool ReadStatus(platform::DWORD pid, std::int32_t* status) override {
        return shared::ReadPluginStatus(pid, status) == 1;
    }
    void PostCaptureStart(platform::DWORD pid) override { shared::PostPluginStartCapture(pid); }
    void PostViewerClose(platform::DWORD pid) override { shared::PostPluginCloseViewer(pid); }
    void CloseViewerWindow(platform::DWORD pid) override { CloseFriioViewWindow(pid, &stop_); }
    void TerminateViewer(platform::DWORD pid) override {
        if (pid != 0) timer_core::TerminateViewer(pid, &stop_);
    }
    void EndViewer(platform::DWORD pid) override {
        if (IsFriioViewPid(pid)) platform::TerminateProcess(pid, static_cast<platform::UINT>(-1));
    }
    void PostAcquired() override {
        platform::PostMessageW(manager_->MainWindow(), WM_EPG_ACQUIRED, 0, 0);
    }
    void Debug(const std::wstring& line) override { platform::OutputDebugStringW(line); }
    bool Pause(platform::DWORD ms) override { return SleepUnlessStopped(ms, &stop_); }
    bool Stopped() override {
        return platform::WaitForSingleObject(stop_, 0) == platform::WAIT_OBJECT_0;
    }
    void RememberWindowPositions() override { launcher_.LoadWindowPos(); }
    void RestoreWindowPositions() override { launcher_.SaveWindowPos(); }

  private:
    std::shared_ptr<TimerManager> manager_;
    platform::Event stop_;
    FriioViewLauncher launcher_;
};

}  // namespace

platform::DWORD EpgAcquireThreadProc(const std::shared_ptr<TimerManager>& manager,
                                     const platform::Event& stop, std::int32_t delayMs) {
    ViewerEpgPort port(manager, stop);
    return RunEpgAcquisition(port, delayMs);
}

}  // namespace timer_core
