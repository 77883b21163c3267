#include "tests/support/queue_probe.h"

#include <atomic>

#include "platform/window_messages.h"
#include "tests/support/wait_until.h"

namespace test_support {
namespace {

constexpr platform::UINT kProbeMessage = platform::WM_USER + 0x3FF;
constexpr platform::UINT_PTR kProbeTimer = 1;

// A window of the calling thread that notes the probe message and its timer.
class ProbeWindow : public platform::WindowTarget {
  public:
    ProbeWindow() : hwnd_(platform::CreateWindowHandle(this, L"test probe", 0, false)) {}
    ~ProbeWindow() override { platform::DestroyWindowHandle(hwnd_); }
    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM) override {
        if (message == kProbeMessage || (message == platform::WM_TIMER && wParam == kProbeTimer)) {
            arrived_ = true;
        }
        return 0;
    }

    platform::HWND Hwnd() const { return hwnd_; }

    // Waits until the probe arrived; the thread's queue is pumped meanwhile (a Qt program's event
    // loop pumps it as well).
    bool Wait(int timeoutMs) {
        return WaitUntil(
            [this] {
                platform::PumpThreadMessages();
                return arrived_.load();
            },
            timeoutMs);
    }

  private:
    platform::HWND hwnd_;
    std::atomic<bool> arrived_{false};
};

}  // namespace

bool WaitForQueuedMessages(int timeoutMs) {
    ProbeWindow probe;
    return probe.Hwnd() != 0 && platform::PostMessageW(probe.Hwnd(), kProbeMessage, 0, 0) &&
           probe.Wait(timeoutMs);
}

bool WaitForTimerPeriod(platform::UINT elapseMs, int timeoutMs) {
    ProbeWindow probe;
    if (probe.Hwnd() == 0 || platform::SetTimer(probe.Hwnd(), kProbeTimer, elapseMs) == 0) {
        return false;
    }
    const bool fired = probe.Wait(timeoutMs);
    platform::KillTimer(probe.Hwnd(), kProbeTimer);
    return fired && WaitForQueuedMessages(timeoutMs);
}

}  // namespace test_support
