// Closing viewers: the viewer's main window told apart from other windows, the stop-recording
// and close messages, and TerminateViewer ending a viewer that does not close, unless the
// caller's stop event cuts it short.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/process.h"
#include "platform/window_messages.h"
#include "shared/friio_view_window.h"
#include "shared/window_message_ids.h"
#include "tests/support/private_runtime.h"
#include "tests/support/scoped_environment.h"
#include "tests/timer_core/fake_viewer.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/friio_view_windows.h"

namespace timer_core {
namespace {

using timer_core_test::FakeViewer;
using timer_core_test::WaitUntil;

// A window of this process with the viewer's title in any case, answering the tuner-kind
// question with its own reply.
class TitledWindow : public platform::WindowTarget {
  public:
    TitledWindow(const std::wstring& title, platform::LRESULT reply, platform::HWND owner = 0)
        : reply_(reply), hwnd_(platform::CreateWindowHandle(this, title, owner, true)) {}
    ~TitledWindow() override { platform::DestroyWindowHandle(hwnd_); }
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM,
                                 platform::LPARAM) override {
        received.push_back(message);
        return message == shared::WM_HOST_GET_TUNER_KIND ? reply_ : 0;
    }
    platform::HWND hwnd() const { return hwnd_; }

    std::vector<platform::UINT> received;

  private:
    platform::LRESULT reply_;
    platform::HWND hwnd_;
};

// Clock milliseconds that `action` takes.
template <typename Action>
std::uint64_t ClockMs(Action action) {
    const std::uint64_t start = platform::GetTickCount64();
    action();
    return platform::GetTickCount64() - start;
}

bool IsViewer(platform::DWORD pid) {
    return IsFriioViewPid(pid, platform::TakeProcessSnapshot()) == 1;
}

class FriioViewControlTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }

    // A stubborn fake viewer, started as the timer starts viewers, with its window up.
    platform::DWORD StartStubborn(const FakeViewer& viewer) {
        FriioViewLauncher launcher;
        launcher.SetPath(viewer.Path());
        platform::DWORD pid = 0;
        EXPECT_EQ(launcher.StartForEpg(0, &pid), 1);
        EXPECT_TRUE(WaitUntil([&] { return shared::FindFriioViewMainWindow(pid) != 0; }));
        started_.push_back(pid);
        return pid;
    }
    void TearDown() override {
        for (const platform::DWORD pid : started_) {
            platform::TerminateProcess(pid, 1);
            platform::WaitForProcess(pid, timer_core_test::kProcessEndMs);
        }
    }

    timer_core_test::PrivateHome home_;
    std::vector<platform::DWORD> started_;
};

TEST_F(FriioViewControlTest, OnlyTheUnownedTitledWindowOfTheViewersProcessAnswers) {
    const platform::DWORD self = platform::GetCurrentProcessId();
    TitledWindow main(L"FRIIO HDTV PLAYER", 2);
    // Created later, so enumerated first: an owned window and a longer title never answer.
    TitledWindow owned(L"Friio HDTV Player", 1, main.hwnd());
    TitledWindow longer(L"Friio HDTV Player 2", 1);
    EXPECT_TRUE(shared::IsFriioViewMainWindow(main.hwnd(), self));
    EXPECT_FALSE(shared::IsFriioViewMainWindow(main.hwnd(), self + 1));
    EXPECT_FALSE(shared::IsFriioViewMainWindow(owned.hwnd(), self));
    EXPECT_FALSE(shared::IsFriioViewMainWindow(longer.hwnd(), self));

    platform::DWORD value = self;
    EXPECT_EQ(QueryFriioViewWindowProc(owned.hwnd(), reinterpret_cast<platform::LPARAM>(&value)),
              platform::TRUE);
    EXPECT_EQ(value, self);
    EXPECT_EQ(QueryFriioViewWindowProc(main.hwnd(), reinterpret_cast<platform::LPARAM>(&value)),
              platform::FALSE);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(QueryFriioViewWindow(self), 2u);
    EXPECT_EQ(QueryFriioViewWindow(self + 1), 0u);  // no window of that process

    // The close: stop recording, then close, posted to the main window only.
    const platform::Event stop(true, true);
    FriioViewCloseRequest request{self, &stop};
    EXPECT_EQ(CloseFriioViewWindowProc(owned.hwnd(), reinterpret_cast<platform::LPARAM>(&request)),
              platform::TRUE);
    EXPECT_EQ(CloseFriioViewWindowProc(main.hwnd(), reinterpret_cast<platform::LPARAM>(&request)),
              platform::FALSE);
    platform::PumpThreadMessages();
    EXPECT_EQ(main.received, (std::vector<platform::UINT>{
                                 shared::WM_HOST_GET_TUNER_KIND, shared::WM_HOST_GET_TUNER_KIND,
                                 shared::WM_HOST_REC_STOP, platform::WM_CLOSE}));
    EXPECT_TRUE(owned.received.empty());
    EXPECT_TRUE(longer.received.empty());
}

TEST_F(FriioViewControlTest, AViewerThatDoesNotCloseIsTerminatedAfterNineChecks) {
    const std::filesystem::path log = timer_core_test::FreshFolder("terminate") / "debug.log";
    test_support::ScopedEnvironment environment;
    environment.Set("ORVANDEL_DEBUG_LOG", log.string());
    FakeViewer viewer("stubborn");
    const platform::DWORD pid = StartStubborn(viewer);
    ASSERT_TRUE(IsViewer(pid));

    // Stop recording, a pause of a second, then the close request, which this viewer ignores.
    const std::uint64_t closing = ClockMs([&] { CloseFriioViewWindow(pid); });
    EXPECT_GE(closing, 1000u);
    ASSERT_TRUE(WaitUntil([&] { return viewer.Messages().size() >= 2; }));
    EXPECT_EQ(viewer.Messages(), (std::vector<std::string>{"0xfb9", "0x10"}));

    // Nine checks a second apart, then the end, and a second for it to take effect; the debug
    // log says that the viewer had to be ended.
    EXPECT_GE(ClockMs([&] { TerminateViewer(pid); }), 9000u);
    EXPECT_FALSE(IsViewer(pid));
    std::ifstream lines(log);
    bool noted = false;
    for (std::string line; std::getline(lines, line);)
        noted |= line == "FriioView " + std::to_string(pid) + " did not close when asked; ending it";
    EXPECT_TRUE(noted);
    platform::DWORD code = 0;
    EXPECT_TRUE(platform::GetExitCodeProcess(pid, &code));
    EXPECT_EQ(code, 128u + 9);
    // Reaped by the layer: no zombie stays behind.
    EXPECT_TRUE(
        WaitUntil([&] { return !std::filesystem::exists("/proc/" + std::to_string(pid)); }));
}

TEST_F(FriioViewControlTest, TheStopEventCutsTheWaitsShortAndLeavesTheViewerAlone) {
    FakeViewer viewer("stubborn");
    const platform::DWORD pid = StartStubborn(viewer);

    // Stopped before: the close request goes out without the pause, the wait ends at once.
    const platform::Event stopped(true, true);
    EXPECT_LT(ClockMs([&] { CloseFriioViewWindow(pid, &stopped); }), 1000u);
    ASSERT_TRUE(WaitUntil([&] { return viewer.Messages().size() >= 2; }));
    EXPECT_LT(ClockMs([&] { TerminateViewer(pid, &stopped); }), timer_core_test::kEarlyMs);
    EXPECT_TRUE(IsViewer(pid));

    // Stopped while it waits.
    const platform::Event stop(true, false);
    std::thread stopper([&] {
        platform::Sleep(1500);
        platform::SetEvent(stop);
    });
    const std::uint64_t waited = ClockMs([&] { TerminateViewer(pid, &stop); });
    stopper.join();
    EXPECT_GE(waited, 1000u);
    EXPECT_LT(waited, timer_core_test::kEarlyMs);
    EXPECT_TRUE(IsViewer(pid));
}

TEST_F(FriioViewControlTest, AViewerThatIsGoneEndsTheWaitAtOnce) {
    EXPECT_LT(ClockMs([] { TerminateViewer(0x7FFFFFF0); }), timer_core_test::kEarlyMs);
    // A process that is no viewer is never ended.
    const platform::DWORD self = platform::GetCurrentProcessId();
    EXPECT_LT(ClockMs([&] { TerminateViewer(self); }), timer_core_test::kEarlyMs);
    EXPECT_FALSE(IsViewer(self));
}

}  // namespace
}  // namespace timer_core
